#include "common/results/cooling_input.h"

#include <string_view>
#include <utility>

#include "common/results/result_title.h"

namespace kv {
namespace {

constexpr std::string_view kCoolingName = "Cycle-averaged mold temperature";

int Damaged(const TokenReader& reader, std::string& message, const std::string& what) {
  message = Where(reader) + what;
  return kCoolingDamaged;
}

}  // namespace

int ReadCoolingInput(TokenReader& reader, std::vector<float>& wall_temperature, std::string& message) {
  message.clear();
  const int element_count = static_cast<int>(wall_temperature.size());
  for (;;) {
    // 1. Next element block, or the end of the file.
    std::string_view token = SkipToToken(reader, "ELDT");
    if (token != "ELDT") return kCoolingAbsent;

    // 2. The four header integers; the rest of the header line is not used.
    int header[4] = {};
    for (int& value : header) {
      if (!ReadHeaderField(reader, value)) return Damaged(reader, message, "ELDT header: four integers expected.");
    }
    SkipRestOfLine(reader);
    const int entries = header[3];

    // 3. The block's title line decides whether it is the one wanted.
    std::string line;
    if (!NextLine(reader, line)) return Damaged(reader, message, "ELDT block: title line missing.");
    std::string name, unit;
    ParseTitleText(TrimLeading(line), name, unit);
    if (name != kCoolingName) continue;
    if (entries < 0) return Damaged(reader, message, "ELDT block: negative entry count.");

    // 4. One real that is not used, then E pairs (element number, temperature);
    //    collected apart so that a damaged block changes nothing.
    float unused = 0;
    if (!ReadFloat(reader, unused)) return Damaged(reader, message, "ELDT block: a real expected before the entries.");
    std::vector<std::pair<int, float>> pairs;
    for (int e = 0; e < entries; ++e) {
      int number = 0;
      float temperature = 0;
      if (!ReadInt(reader, number))
        return Damaged(reader, message, "ELDT block: element number expected (" + std::to_string(e) + " of " +
                                            std::to_string(entries) + " entries read).");
      if (number < 1 || number > element_count)
        return Damaged(reader, message, "ELDT block: element " + std::to_string(number) +
                                            " is not in the mesh (1.." + std::to_string(element_count) + ").");
      if (!ReadFloat(reader, temperature))
        return Damaged(reader, message, "ELDT block: temperature of element " + std::to_string(number) +
                                            " is not a number.");
      if (!(temperature > 0.0f))
        return Damaged(reader, message, "ELDT block: temperature of element " + std::to_string(number) +
                                            " is not above 0 K.");
      pairs.emplace_back(number - 1, temperature);
    }

    // 5. Every pair read: store the temperatures.
    for (const auto& [index, temperature] : pairs) wall_temperature[index] = temperature;
    return kCoolingRead;
  }
}

int ReadCoolingInputFile(const std::string& path, std::vector<float>& wall_temperature, std::string& message) {
  message.clear();
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kCoolingUnreadable;
  return ReadCoolingInput(reader, wall_temperature, message);
}

}  // namespace kv

#include "common/database/databases.h"

#include "common/analysis/material_values.h"
#include "common/analysis/tcode_format.h"
#include "common/geometry/constants.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

// Reads every block of `keyword` into `entries` with `read_record` (one of the
// record readers of material_values.h). Returns 1, -1 or 0 as LoadMaterials.
template <typename Entry, typename ReadRecord>
int LoadDatabase(std::vector<Entry>& entries, const std::string& path, const char* keyword,
                 ReadRecord read_record, std::string& error) {
  entries.clear();
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) {
    error = "cannot open " + path;
    return -1;
  }
  // Entries are built aside and appended when their block is complete, so a
  // damaged block never leaves a half-read entry in the list.
  std::vector<Entry> read;
  for (;;) {
    int first = 0, records = 0;
    TcodeFind found = FindTcodeBlock(reader, keyword, false, first, records, error);
    if (found == kTcodeEnd) break;
    if (found == kTcodeDamaged) {
      entries = std::move(read);
      return 0;
    }
    // A first integer of 1 starts an entry; any other continues the last one.
    if (first == 1) {
      read.emplace_back();
    } else if (read.empty()) {
      error = Where(reader) + Format("%s block continues an entry, but none has started", keyword);
      return 0;
    }
    Entry entry = read.back();
    for (int r = 0; r < records; ++r) {
      int code = 0, count = 0;
      if (!ReadTcodeRecordHead(reader, code, count, error)) {
        read.pop_back();
        entries = std::move(read);
        return 0;
      }
      RecordRead result = read_record(reader, code, entry, error);
      if (result == kRecordDamaged) {
        read.pop_back();
        entries = std::move(read);
        return 0;
      }
      if (result == kRecordUnknown) SkipTcodeValues(reader, count);
    }
    read.back() = std::move(entry);
  }
  entries = std::move(read);
  return 1;
}

}  // namespace

int LoadMaterials(std::vector<MaterialRecord>& materials, const std::string& path,
                  std::string& error) {
  return LoadDatabase(materials, path, "MTRL", ReadPolymerRecord, error);
}

int LoadScrews(std::vector<ScrewRecord>& screws, const std::string& path, std::string& error) {
  return LoadDatabase(screws, path, "SCRW", ReadScrewRecord, error);
}

int FindMaterial(const std::vector<MaterialRecord>& materials, const std::string& name) {
  for (size_t i = 0; i < materials.size(); ++i)
    if (materials[i].name == name) return static_cast<int>(i);
  return -1;
}

double ScrewCapacity(const ScrewRecord& screw) {
  // Capacity = pi D^2 / 4 * stroke, the swept volume of the barrel.
  double d = screw.diameter;
  return kPi * d * d * screw.max_stroke / 4.0;
}

int PreselectScrew(const std::vector<ScrewRecord>& screws, double shot_volume, int previous) {
  for (size_t i = 0; i < screws.size(); ++i)
    if (ScrewCapacity(screws[i]) > shot_volume) return static_cast<int>(i);
  return previous;
}

std::string DatabasePath(const std::string& program_dir, const char* file_name) {
  if (program_dir.empty()) return file_name;
  if (program_dir.back() == '/') return program_dir + file_name;
  return program_dir + "/" + file_name;
}

}  // namespace kv

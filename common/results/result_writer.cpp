#include "common/results/result_writer.h"

#include <string>

#include "common/text/number_format.h"

namespace kv {
namespace {

// How the value of one entity is printed after its number.
enum class ValueForm {
  kFixed,        // "%f"
  kExponent,     // "%.12E", three exponent digits
  kFixedWidth8,  // "%8f"
};

constexpr const char* kScalarComment = "---- Beginning of scalar data.\n";
constexpr const char* kNodalComment = "---- Beginning of nodal data.\n";
constexpr const char* kElementComment = "---- Beginning of element data.\n";
constexpr const char* kVectorComment = "---- Beginning of element vector data.\n";
constexpr const char* kHighlightComment = "---- Beginning of highlight data.\n";

// Width of the name field of a title line; the unit follows it directly.
constexpr int kTitleNameWidth = 52;

// Distance (m) along the parting-plane normal of the second highlight point.
constexpr float kCentroidMarkerLength = 0.05f;

bool Put(std::FILE* file, const std::string& text) {
  return std::fputs(text.c_str(), file) >= 0;
}

int Status(std::FILE* file, bool ok) { return ok && !std::ferror(file) ? 1 : -1; }

// Comment line and "KKKK%8d%8d%8d%8d".
bool PutHeader(std::FILE* file, const char* comment, const char* keyword, int independent,
               int quantities, int components, int entries) {
  return Put(file, comment) &&
         Put(file, Format("%s%8d%8d%8d%8d\n", keyword, independent, quantities, components, entries));
}

// 8 blanks, the name left-aligned in 52 characters, the unit.
bool PutTitle(std::FILE* file, const char* name, const char* unit) {
  return Put(file, Format("        %-*s%s\n", kTitleNameWidth, name, unit));
}

// The time title line and its value line (one independent variable).
bool PutTimeTitle(std::FILE* file) { return PutTitle(file, "Time", "s"); }
bool PutTimeValue(std::FILE* file, float time) {
  return Put(file, Format("        %f\n", static_cast<double>(time)));
}

bool MaskFits(std::span<const uint8_t> has_value, size_t count) {
  return has_value.empty() || has_value.size() == count;
}

bool Listed(std::span<const uint8_t> has_value, size_t i) {
  return has_value.empty() || has_value[i] != 0;
}

int ListedCount(std::span<const uint8_t> has_value, size_t count) {
  if (has_value.empty()) return static_cast<int>(count);
  int n = 0;
  for (uint8_t flag : has_value) n += flag != 0;
  return n;
}

std::string FormatValue(float value, ValueForm form) {
  switch (form) {
    case ValueForm::kFixed: return Format("%f", static_cast<double>(value));
    case ValueForm::kExponent: return FormatExponent(value, "%.12E");
    case ValueForm::kFixedWidth8: return Format("%8f", static_cast<double>(value));
  }
  return std::string();
}

// One block of one scalar quantity per entity (NDDT or ELDT).
//   with_time: I = 1 with the time title and value; otherwise I = 0.
int WriteFieldBlock(std::FILE* file, const char* comment, const char* keyword, bool with_time,
                    float time, const char* name, const char* unit, std::span<const float> values,
                    std::span<const uint8_t> has_value, ValueForm form) {
  if (!file || !MaskFits(has_value, values.size())) return -1;
  const int independent = with_time ? 1 : 0;
  bool ok = PutHeader(file, comment, keyword, independent, 1, 1, ListedCount(has_value, values.size()));
  if (with_time) ok = ok && PutTimeTitle(file);
  ok = ok && PutTitle(file, name, unit);
  if (with_time) ok = ok && PutTimeValue(file, time);
  std::string line;
  for (size_t i = 0; ok && i < values.size(); ++i) {
    if (!Listed(has_value, i)) continue;
    line = Format("%8d ", static_cast<int>(i + 1));
    line += FormatValue(values[i], form);
    line += '\n';
    ok = Put(file, line);
  }
  return Status(file, ok);
}

}  // namespace

int WriteResultFileBegin(std::FILE* file) {
  if (!file) return -1;
  return Status(file, Put(file, "---- Beginning of file.\n"));
}

int WriteResultFileEnd(std::FILE* file) {
  if (!file) return -1;
  return Status(file, Put(file, "ENDF\n"));
}

int WritePressureTraceBlock(std::FILE* file, float time, float inlet_pressure) {
  if (!file) return -1;
  bool ok = PutHeader(file, kScalarComment, "SCDT", 1, 1, 1, 1) && PutTimeTitle(file) &&
            PutTitle(file, "Pressure trace at entrance", "Pa") && PutTimeValue(file, time) &&
            Put(file, Format("        %f\n", static_cast<double>(inlet_pressure)));
  return Status(file, ok);
}

int WriteClampForceBlock(std::FILE* file, float time, float clamp_force, float filled_percentage) {
  if (!file) return -1;
  bool ok = PutHeader(file, kScalarComment, "SCDT", 1, 2, 1, 1) && PutTimeTitle(file) &&
            PutTitle(file, "Clamp force", "N") && PutTitle(file, "Percentage total weight", "%") &&
            PutTimeValue(file, time) &&
            Put(file, Format("        %f %f\n", static_cast<double>(clamp_force),
                             static_cast<double>(filled_percentage)));
  return Status(file, ok);
}

int WriteMeltPressureBlock(std::FILE* file, float time, std::span<const float> pressure,
                           std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kNodalComment, "NDDT", true, time, "Pressure", "Pa", pressure,
                         has_value, ValueForm::kFixed);
}

int WriteBulkTemperatureBlock(std::FILE* file, float time, std::span<const float> temperature,
                              std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kNodalComment, "NDDT", true, time, "Bulk temperature", "K",
                         temperature, has_value, ValueForm::kExponent);
}

int WriteShearRateBlock(std::FILE* file, float time, std::span<const float> shear_rate,
                        std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kNodalComment, "NDDT", true, time, "Representative shear rate",
                         "1/s", shear_rate, has_value, ValueForm::kExponent);
}

int WriteWallShearStressBlock(std::FILE* file, float time, std::span<const float> stress,
                              std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kNodalComment, "NDDT", true, time, "Wall shear stress", "Pa", stress,
                         has_value, ValueForm::kExponent);
}

int WriteMoltenCoreBlock(std::FILE* file, float time, std::span<const float> molten_core,
                         std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kElementComment, "ELDT", true, time, "Molten-core", "", molten_core,
                         has_value, ValueForm::kFixed);
}

int WriteAverageVelocityBlock(std::FILE* file, float time, std::span<const float> velocity_x,
                              std::span<const float> velocity_y, std::span<const float> velocity_z,
                              std::span<const uint8_t> has_value) {
  const size_t count = velocity_x.size();
  if (!file || velocity_y.size() != count || velocity_z.size() != count || !MaskFits(has_value, count))
    return -1;
  bool ok = PutHeader(file, kVectorComment, "VCDT", 1, 1, 3, ListedCount(has_value, count)) &&
            PutTimeTitle(file) && PutTitle(file, "Average velocity", "m/s") && PutTimeValue(file, time);
  for (size_t i = 0; ok && i < count; ++i) {
    if (!Listed(has_value, i)) continue;
    ok = Put(file, Format("%8d %f  %f  %f\n", static_cast<int>(i + 1), static_cast<double>(velocity_x[i]),
                          static_cast<double>(velocity_y[i]), static_cast<double>(velocity_z[i])));
  }
  return Status(file, ok);
}

int WriteClampCentroidBlock(std::FILE* file, const float centroid[3], const float normal[3]) {
  if (!file || !centroid || !normal) return -1;
  bool ok = PutHeader(file, kHighlightComment, "HLDT", 0, 1, 3, 1) &&
            PutTitle(file, "Clamp force centroid", "") &&
            Put(file, Format("%8d%8d%12d%8d%8d\n", 1, 2, 1, 0, 3));
  // Two points: the centroid c and c + 0.05 n, each real in a 12-character field.
  std::string line = "        ";
  for (int k = 0; k < 3; ++k) line += FormatExponent(centroid[k], "%+.4E");
  for (int k = 0; k < 3; ++k) line += FormatExponent(centroid[k] + kCentroidMarkerLength * normal[k], "%+.4E");
  line += '\n';
  ok = ok && Put(file, line);
  return Status(file, ok);
}

int WriteTimeToCoolBlock(std::FILE* file, std::span<const float> time_to_cool,
                         std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kElementComment, "ELDT", false, 0.0f, "Time to cool after filling", "s",
                         time_to_cool, has_value, ValueForm::kExponent);
}

int WriteMeltFrontBlock(std::FILE* file, std::span<const float> fill_time,
                        std::span<const uint8_t> has_value) {
  return WriteFieldBlock(file, kNodalComment, "NDDT", false, 0.0f, "Melt-front advancement", "s",
                         fill_time, has_value, ValueForm::kFixedWidth8);
}

}  // namespace kv

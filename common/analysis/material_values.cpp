#include "common/analysis/material_values.h"

#include "common/analysis/tcode_format.h"

namespace kv {
namespace {

RecordRead One(TokenReader& reader, int code, float& field, std::string& error) {
  return ReadTcodeFloats(reader, code, &field, 1, error) ? kRecordStored : kRecordDamaged;
}

}  // namespace

RecordRead ReadPolymerRecord(TokenReader& reader, int code, MaterialRecord& m,
                             std::string& error) {
  switch (code) {
    case 1000: return One(reader, code, m.melt_density, error);
    case 1001: return One(reader, code, m.solid_density, error);
    case 1004: {
      float tait[kTaitCount];
      if (!ReadTcodeFloats(reader, code, tait, kTaitCount, error)) return kRecordDamaged;
      SetTaitCoefficients(m, tait);
      return kRecordStored;
    }
    case 1109: return One(reader, code, m.specific_heat, error);
    case 1200: return One(reader, code, m.conductivity, error);
    case 1210: return One(reader, code, m.melt_temperature_min, error);
    case 1211: return One(reader, code, m.melt_temperature_max, error);
    case 1220: return One(reader, code, m.mold_temperature_min, error);
    case 1221: return One(reader, code, m.mold_temperature_max, error);
    case 1250: return One(reader, code, m.no_flow_temperature, error);
    case 1260: return One(reader, code, m.ejection_temperature, error);
    case 1313: {
      float wlf[kCrossWlfCount];
      if (!ReadTcodeFloats(reader, code, wlf, kCrossWlfCount, error)) return kRecordDamaged;
      SetCrossWlfConstants(m, wlf);
      return kRecordStored;
    }
    case 1999:
      return ReadTcodeName(reader, code, m.name, error) ? kRecordStored : kRecordDamaged;
    default: return kRecordUnknown;
  }
}

RecordRead ReadScrewRecord(TokenReader& reader, int code, ScrewRecord& s, std::string& error) {
  switch (code) {
    case 4100: return One(reader, code, s.max_stroke, error);
    case 4101: return One(reader, code, s.diameter, error);
    case 4102: return One(reader, code, s.max_rate, error);
    case 4200: return One(reader, code, s.max_pressure, error);
    case 4201: return One(reader, code, s.pressure_ratio, error);
    case 4999:
      return ReadTcodeName(reader, code, s.name, error) ? kRecordStored : kRecordDamaged;
    default: return kRecordUnknown;
  }
}

}  // namespace kv

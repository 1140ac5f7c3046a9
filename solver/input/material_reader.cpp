#include "common/analysis/material_values.h"
#include "common/analysis/tcode_format.h"
#include "common/text/number_format.h"
#include "solver/input/input_readers.h"
#include "solver/input/summary_line.h"

namespace kv {
namespace {

std::string Value(const char* label, double value, const char* unit) {
  return SummaryLine(label, Format("%g \t\t%s", value, unit));
}

}  // namespace

int ReadMaterialFile(SolverOutput& out, const std::string& path, JobMaterial& material,
                     std::string& error) {
  TokenReader reader;
  if (OpenTokenReader(reader, path) != 1) return kInputCannotOpen;
  JobMaterial m;
  auto one = [&](int code, float& field) { return ReadTcodeFloats(reader, code, &field, 1, error); };
  auto values = [&](int code, int count) {
    switch (code) {
      case 6000: return one(code, m.coolant_density);
      case 6100: return one(code, m.coolant_specific_heat);
      case 6200: return one(code, m.coolant_conductivity);
      case 6302: return one(code, m.coolant_viscosity);
      case 6999: return ReadTcodeName(reader, code, m.coolant_name, error);
      case 7000: return one(code, m.air_density);
      case 7100: return one(code, m.air_specific_heat);
      case 7200: return one(code, m.air_conductivity);
      case 7302: return one(code, m.air_viscosity);
      case 7999: return ReadTcodeName(reader, code, m.air_name, error);
      case 8000: return one(code, m.mold_density);
      case 8100: return one(code, m.mold_specific_heat);
      case 8200: return one(code, m.mold_conductivity);
      case 8999: return ReadTcodeName(reader, code, m.mold_name, error);
      default: break;
    }
    RecordRead polymer = ReadPolymerRecord(reader, code, m.polymer, error);
    if (polymer == kRecordUnknown) SkipTcodeValues(reader, count);
    return polymer != kRecordDamaged;
  };
  if (!ReadTcodeBlocks(reader, "MTRL", values, error)) return kInputDamaged;
  material = m;

  const MaterialRecord& p = m.polymer;
  std::string head = SummaryLine("Material property", "Value \t\tUnits");
  PrintText(out, "\n");
  PrintConsole(out, "Material: %s\n", p.name.c_str());
  PrintLog(out, "Polymer material: %s\n", p.name.c_str());
  std::string s = head;
  s += Value("Constant melt density:", p.melt_density, "kg/(m^3)");
  s += Value("Constant solid density:", p.solid_density, "kg/(m^3)");
  s += Value("Constant polymer specific heat:", p.specific_heat, "J/(kg.C)");
  s += Value("Constant polymer thermal conductivity:", p.conductivity, "W/(m.C)");
  s += Value("No-flow temperature:", p.no_flow_temperature - kCelsiusOffset, "C");
  s += "Cross-WLF viscosity constants:\n";
  s += Format("   n     = %g\n", p.n);
  s += Format("   Tau_a = %g\n", p.tau_star);
  s += Format("   D1    = %g\n", p.d1);
  s += Format("   D2    = %g\n", p.d2);
  s += Format("   D3    = %g\n", p.d3);
  s += Format("   A1    = %g\n", p.a1);
  s += Format("   A2_t  = %g\n", p.a2);

  s += "\n" + Format("Coolant material: %s\n", m.coolant_name.c_str()) + head;
  s += Value("Constant coolant density:", m.coolant_density, "kg/(m^3)");
  s += Value("Constant coolant specific heat:", m.coolant_specific_heat, "J/(kg.C)");
  s += Value("Constant coolant thermal conductivity:", m.coolant_conductivity, "W/(m.C)");
  s += Value("Constant coolant viscosity:", m.coolant_viscosity, "Pa.s");

  s += "\n" + Format("Ambient material: %s\n", m.air_name.c_str()) + head;
  s += Value("Constant air density:", m.air_density, "kg/(m^3)");
  s += Value("Constant air specific heat:", m.air_specific_heat, "J/(kg.C)");
  s += Value("Constant air thermal conductivity:", m.air_conductivity, "W/(m.C)");
  s += Value("Constant air viscosity:", m.air_viscosity, "Pa.s");

  s += "\n" + Format("Mold material: %s\n", m.mold_name.c_str()) + head;
  s += Value("Constant mold density:", m.mold_density, "kg/(m^3)");
  s += Value("Constant mold specific heat:", m.mold_specific_heat, "J/(kg.C)");
  s += Value("Constant mold thermal conductivity:", m.mold_conductivity, "W/(m.C)");
  s += "Done.\n";
  PrintText(out, s);
  return kInputRead;
}

}  // namespace kv

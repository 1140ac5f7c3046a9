#include "common/analysis/analysis_files.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/analysis/tcode_format.h"
#include "common/output/pane_output.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

// The decimal value a 32-bit real stands for: its shortest decimal form read
// as a double. 323.15f holds 323.149993896..., which "%f" would print as
// 323.149994; the user entered 323.15 and the file shows 323.150000. Reading
// either text back gives the same float.
double Decimal(float value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  if (ec != std::errc()) return value;
  double decimal = value;
  std::from_chars(text, end, decimal);
  return decimal;
}

// A value line of one real in "%f".
void AppendReal(std::string& out, float value) { out += Format("%f\n", Decimal(value)); }

// A value line of one real that reads back as the same 32-bit real: "%f"
// when its six decimals are enough, otherwise the shortest fixed-point form
// that is. A machine's injection rate in m^3/s (25.3 cm^3/s = 0.0000253)
// loses digits in "%f", and a small machine's rate would read back as zero.
void AppendExactReal(std::string& out, float value) {
  std::string text = Format("%f", Decimal(value));
  if (std::isfinite(value) && std::strtof(text.c_str(), nullptr) != value) {
    char fixed[64];
    auto [end, ec] = std::to_chars(fixed, fixed + sizeof fixed, value, std::chars_format::fixed);
    if (ec == std::errc()) text.assign(fixed, end);
  }
  out += text;
  out += "\n";
}

// A value line of two or three reals in "%f", blank-separated.
void AppendReals(std::string& out, const float* values, int n) {
  for (int i = 0; i < n; ++i) out += Format(i == 0 ? "%f" : " %f", Decimal(values[i]));
  out += "\n";
}

// A value line of one real in "%e" with a three-digit exponent.
void AppendExponent(std::string& out, float value) {
  out += FormatExponent(Decimal(value), "%e");
  out += "\n";
}

// A name value line: the text up to its first line break, so that a name can
// never add lines to the file.
void AppendName(std::string& out, const std::string& name) {
  out += name.substr(0, name.find_first_of("\r\n"));
  out += "\n";
}

}  // namespace

std::string AnalysisFilePath(const std::string& model_path, const char* extension) {
  size_t n = model_path.size();
  if (n >= 4 && model_path[n - 4] == '.') return model_path.substr(0, n - 3) + extension;
  return model_path + "." + extension;
}

int WriteParameterFile(const SolverParameters& p, const std::string& path,
                       const std::string& title) {
  std::string out;
  AppendTcodeTitle(out, title, "---- Beginning of parameter");
  AppendTcodeHeader(out, "PRMT", 5);
  AppendTcodeRecord(out, 100, 1, "Number of layers across half-gap");
  out += Format("%d\n", p.layers);
  AppendTcodeRecord(out, 200, 1, "Number design outputs in filling");
  out += Format("%d\n", p.design_outputs);
  AppendTcodeRecord(out, 300, 1, "Convergence criterion");
  AppendExponent(out, p.convergence);
  AppendTcodeRecord(out, 301, 1, "Maximum number iterations");
  out += Format("%d\n", p.max_iterations);
  AppendTcodeRecord(out, 400, 1, "Inertia effects");
  out += Format("%d\n", p.inertia);
  AppendTcodeEnd(out);
  return WriteTextFile(path, out);
}

int WriteProcessFile(const ProcessConditions& c, const std::string& path,
                     const std::string& title) {
  std::string out;
  AppendTcodeTitle(out, title, "---- Beginning of Process Conditions");
  AppendTcodeHeader(out, "PROC", 9);
  AppendTcodeRecord(out, 10005, 1, "Clamp force");
  AppendReal(out, c.clamp_force);
  AppendTcodeRecord(out, 10100, 1, "Filling time");
  AppendReal(out, c.filling_time);
  AppendTcodeRecord(out, 10101, 1, "Packing time");
  AppendReal(out, c.packing_time);
  AppendTcodeRecord(out, 10102, 1, "Cooling time");
  AppendReal(out, c.cooling_time);
  AppendTcodeRecord(out, 11000, 1, "Ambient temperature");
  AppendReal(out, c.ambient_temperature);
  AppendTcodeRecord(out, 11001, 1, "Mold wall temperature");
  AppendReal(out, c.mold_temperature);
  AppendTcodeRecord(out, 11002, 1, "Ejection temperature");
  AppendReal(out, c.ejection_temperature);
  AppendTcodeRecord(out, 11050, 1, "Parting plane normal");
  AppendReals(out, c.parting_normal, 3);
  AppendTcodeRecord(out, 11100, 1, "Gravity vector");
  AppendReals(out, c.gravity, 3);
  AppendTcodeEnd(out);
  return WriteTextFile(path, out);
}

int WriteBoundaryFile(const std::vector<BoundaryRecord>& node_boundaries,
                      const std::vector<BoundaryRecord>& face_boundaries,
                      const std::string& path, const std::string& title) {
  // Sort the records by kind first: every record carries its own count.
  std::vector<const BoundaryRecord*> potential, inlets, inlet_faces, outlet_faces;
  for (const BoundaryRecord& b : node_boundaries) {
    if (b.type == kPotentialInletNode) potential.push_back(&b);
    if (b.type == kInletNode) inlets.push_back(&b);
  }
  for (const BoundaryRecord& b : face_boundaries) {
    if (b.type == kInletFace) inlet_faces.push_back(&b);
    if (b.type == kOutletFace) outlet_faces.push_back(&b);
  }
  std::string out;
  AppendTcodeTitle(out, title, "---- Beginning of Boundary Conditions");
  AppendTcodeHeader(out, "BOUND", 5);
  AppendTcodeRecord(out, 1, 0, "Optimum number of inlets  - Nodes ");
  AppendTcodeRecord(out, 5, static_cast<int>(potential.size()), "Potential inlet - Nodes ");
  for (const BoundaryRecord* b : potential) out += Format(" %8d\n", b->entity + 1);
  AppendTcodeRecord(out, 10, static_cast<int>(inlets.size()), "Inlet - Nodes ");
  for (const BoundaryRecord* b : inlets) out += Format("%8d\n", b->entity + 1);
  AppendTcodeRecord(out, 20, static_cast<int>(inlet_faces.size()), "Inlet - Faces");
  for (const BoundaryRecord* b : inlet_faces)
    out += Format("%8d %8d\n", b->identifier + 1, b->entity + 1);
  AppendTcodeRecord(out, 30, static_cast<int>(outlet_faces.size()), "Outlet - Faces");
  for (const BoundaryRecord* b : outlet_faces)
    out += Format("%8d  %8d\n", b->identifier + 1, b->entity + 1);
  AppendTcodeEnd(out);
  return WriteTextFile(path, out);
}

int WriteInjectionFile(const std::vector<InjectionUnit>& units, const std::string& path,
                       const std::string& title) {
  const int n = static_cast<int>(units.size());
  std::string out;
  AppendTcodeTitle(out, title, "---- Beginning of Injection Controls");
  AppendTcodeHeader(out, "INJE", 14);
  AppendTcodeRecord(out, 52000, 1, "Number of injections");
  out += Format("%d\n", n);
  // Every further record repeats its value lines once per injection unit.
  AppendTcodeRecord(out, 52005, n, "Injection temperature");
  for (const InjectionUnit& u : units)
    out += Format("%f\n", Decimal(u.melt_temperature) + kCelsiusOffset);
  AppendTcodeRecord(out, 52008, n, "Injection stroke");
  for (const InjectionUnit& u : units) out += Format("%f\n", Decimal(u.stroke) / 1000.0);
  AppendTcodeRecord(out, 52010, n, "Timer - valve gate");
  for (const InjectionUnit& u : units)
    for (const auto& pair : u.valve_timer) AppendReals(out, pair, 2);
  AppendTcodeRecord(out, 52015, n, "Injection speed");
  for (const InjectionUnit& u : units)
    for (const auto& pair : u.profile) AppendReals(out, pair, 2);
  struct Single {
    int code;
    const char* description;
    float InjectionUnit::*field;
    bool exact;  // written so that it reads back as the same 32-bit real
  };
  const Single singles[] = {
      {52021, "Maximum injection rate", &InjectionUnit::max_rate, true},
      {52022, "Maximum injection stroke", &InjectionUnit::max_stroke, false},
      {52023, "Screw diameter", &InjectionUnit::screw_diameter, false},
      {52024, "Maximum hydraulic pressure", &InjectionUnit::max_pressure, false},
      {52025, "Resin/hydraulic pressure ratio", &InjectionUnit::pressure_ratio, false},
      {52031, "F/P swtich by volume", &InjectionUnit::switch_volume, false},
      {52032, "F/P swtich by position", &InjectionUnit::switch_position, false},
      {52033, "F/P swtich by pressure", &InjectionUnit::switch_pressure, false},
      {52050, "Packing relative pressure", &InjectionUnit::fill_pack_ratio, false},
  };
  for (const Single& s : singles) {
    AppendTcodeRecord(out, s.code, n, s.description);
    for (const InjectionUnit& u : units) {
      if (s.exact)
        AppendExactReal(out, u.*s.field);
      else
        AppendReal(out, u.*s.field);
    }
  }
  AppendTcodeEnd(out);
  return WriteTextFile(path, out);
}

int WriteMaterialFile(const JobMaterial& m, const std::string& path, const std::string& title) {
  const MaterialRecord& p = m.polymer;
  std::string out;
  AppendTcodeTitle(out, title, "---- Beginning of Material Properties");
  AppendTcodeHeader(out, "MTRL", 22);
  AppendTcodeRecord(out, 1000, 1, "Constant melt density");
  AppendReal(out, p.melt_density);
  AppendTcodeRecord(out, 1001, 1, "Constant solid density");
  AppendReal(out, p.solid_density);
  AppendTcodeRecord(out, 1004, kTaitCount, "PVT polymer density");
  float tait[kTaitCount];
  GetTaitCoefficients(p, tait);
  for (float v : tait) AppendExponent(out, v);
  AppendTcodeRecord(out, 1109, 1, "Constant polymer specific heat");
  AppendReal(out, p.specific_heat);
  AppendTcodeRecord(out, 1200, 1, "Constant polymer thermal conductivity");
  AppendReal(out, p.conductivity);
  AppendTcodeRecord(out, 1250, 1, "No-flow temperature");
  AppendReal(out, p.no_flow_temperature);
  AppendTcodeRecord(out, 1313, kCrossWlfCount, "Cross-WLF polymer viscosity");
  float wlf[kCrossWlfCount];
  GetCrossWlfConstants(p, wlf);
  for (float v : wlf) AppendReal(out, v);
  AppendTcodeRecord(out, 1999, 1, "Resin trade name");
  AppendName(out, p.name);
  AppendTcodeRecord(out, 6000, 1, "Coolant density");
  AppendReal(out, m.coolant_density);
  AppendTcodeRecord(out, 6100, 1, "Coolant specific heat");
  AppendReal(out, m.coolant_specific_heat);
  AppendTcodeRecord(out, 6200, 1, "Coolant thermal conductivity");
  AppendReal(out, m.coolant_conductivity);
  AppendTcodeRecord(out, 6302, 1, "Coolant constant viscosity");
  AppendReal(out, m.coolant_viscosity);
  AppendTcodeRecord(out, 6999, 1, "Coolant name");
  AppendName(out, m.coolant_name);
  AppendTcodeRecord(out, 7000, 1, "Constant air density");
  AppendReal(out, m.air_density);
  AppendTcodeRecord(out, 7100, 1, "Constant air specific heat");
  AppendReal(out, m.air_specific_heat);
  AppendTcodeRecord(out, 7200, 1, "Constant air thermal conductivity");
  AppendReal(out, m.air_conductivity);
  AppendTcodeRecord(out, 7302, 1, "Constant air viscosity");
  AppendReal(out, m.air_viscosity);
  AppendTcodeRecord(out, 7999, 1, "Air name");
  AppendName(out, m.air_name);
  AppendTcodeRecord(out, 8000, 1, "Mold density");
  AppendReal(out, m.mold_density);
  AppendTcodeRecord(out, 8100, 1, "Mold specific heat");
  AppendReal(out, m.mold_specific_heat);
  AppendTcodeRecord(out, 8200, 1, "Mold thermal conductivity");
  AppendReal(out, m.mold_conductivity);
  AppendTcodeRecord(out, 8999, 1, "Mold material name");
  AppendName(out, m.mold_name);
  AppendTcodeEnd(out);
  return WriteTextFile(path, out);
}

int WriteMaterialFile(const MaterialRecord& polymer, const std::string& path,
                      const std::string& title) {
  JobMaterial material;
  material.polymer = polymer;
  return WriteMaterialFile(material, path, title);
}

int StoreAnalysisFile(std::string& model_path, const char* extension,
                      const std::function<int(const std::string& path)>& write) {
  if (model_path.empty()) return 0;
  model_path = AnalysisFilePath(model_path, extension);
  AppendOutput("Writing file: " + model_path);
  // A file that cannot be created is said so, not reported as done.
  if (write(model_path) != 1) {
    AppendOutput("Unable to write file: " + model_path);
    return -1;
  }
  AppendOutput("Done.");
  return 1;
}

}  // namespace kv

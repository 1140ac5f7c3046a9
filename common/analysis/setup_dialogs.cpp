#include "common/analysis/setup_dialogs.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <cmath>
#include <limits>
#include <numbers>

#include "common/analysis/analysis_files.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kAbsoluteZeroC = -kCelsiusOffset;

std::string Trim(const std::string& text) {
  size_t a = text.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  size_t b = text.find_last_not_of(" \t\r\n");
  return text.substr(a, b - a + 1);
}

// Reads the fields of one OK and keeps the first refusal.
struct FieldCheck {
  DialogReply reply;

  bool Refuse(int field, const std::string& message) {
    reply.close = false;
    reply.message = message;
    reply.icon = kIconStop;
    reply.field = field;
    return false;
  }

  // A real in [low, high] (low itself excluded when `above`); empty reads as
  // `empty_value`. `text` is the field, `label` names it in the message.
  bool Real(const std::string& text, int field, const char* label, double low, bool above,
            double high, double& value, double empty_value = 0) {
    const std::string t = Trim(text);
    if (t.empty()) {
      value = empty_value;
    } else {
      const char* begin = t.data() + (t[0] == '+' ? 1 : 0);
      auto [end, ec] = std::from_chars(begin, t.data() + t.size(), value);
      if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(value) ||
          std::fabs(value) > std::numeric_limits<float>::max())
        return Refuse(field, Format("%s: \"%s\" is not a number.", label, t.c_str()));
    }
    const bool too_low = above ? !(value > low) : !(value >= low);
    if (too_low || value > high) {
      std::string rule = above ? Format("greater than %g", low) : Format("at least %g", low);
      if (high < kInfinity) rule += Format(" and at most %g", high);
      return Refuse(field, Format("%s must be %s.", label, rule.c_str()));
    }
    return true;
  }

  // A whole number of at least `low`; empty reads as 0.
  bool Int(const std::string& text, int field, const char* label, int low, int& value) {
    const std::string t = Trim(text);
    value = 0;
    if (!t.empty()) {
      const char* begin = t.data() + (t[0] == '+' ? 1 : 0);
      auto [end, ec] = std::from_chars(begin, t.data() + t.size(), value);
      if (ec != std::errc() || end != t.data() + t.size())
        return Refuse(field, Format("%s: \"%s\" is not a whole number.", label, t.c_str()));
    }
    if (value < low) return Refuse(field, Format("%s must be at least %d.", label, low));
    return true;
  }
};

// Writes one analysis file next to the model and says how it went.
DialogReply Store(std::string& model_path, const char* extension,
                  const std::function<int(const std::string&)>& write) {
  DialogReply reply;
  const int r = StoreAnalysisFile(model_path, extension, write);
  if (r == 0) {
    reply.message = "Data was not stored.";
    reply.icon = kIconStop;
  } else if (r < 0) {
    reply.message = "Unable to write file: " + model_path;
    reply.icon = kIconStop;
  }
  return reply;
}

std::string Celsius0(float kelvin) { return Format("%.0f", kelvin - kCelsiusOffset); }

bool HasMaterial(const AnalysisSettings& s) { return s.current_material >= 0; }

// A value in a dialog unit: "%.0f" when that is exact, else the shortest
// text that reads back as the same 32-bit real.
std::string Shown(double value) {
  std::string whole = Format("%.0f", value);
  if (static_cast<float>(std::strtod(whole.c_str(), nullptr)) == static_cast<float>(value)) return whole;
  char text[48];
  auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<float>(value));
  return ec == std::errc() ? std::string(text, end) : whole;
}

std::vector<std::string> Shown4g(const float* values, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(Format("%.4g", values[i]));
  return out;
}

// Reads `n` coefficient fields; `keep` leaves empty ones at `values`' current
// contents, otherwise an empty field reads 0.
bool ReadCoefficients(FieldCheck& check, const std::vector<std::string>& fields, const char* const* labels,
                      int n, bool keep, float* values) {
  if (static_cast<int>(fields.size()) != n) return check.Refuse(-1, "Wrong number of fields.");
  for (int i = 0; i < n; ++i) {
    double v = 0;
    if (!check.Real(fields[i], i, labels[i], -kInfinity, false, kInfinity, v, keep ? values[i] : 0)) return false;
    values[i] = static_cast<float>(v);
  }
  return true;
}

const char* const kWlfLabels[kCrossWlfCount] = {"n", "Tau*", "D1", "D2", "D3", "A1", "A2~"};
const char* const kTaitLabels[kTaitCount] = {"b5", "b6", "b1m", "b2m", "b3m", "b4m", "b1s",
                                             "b2s", "b3s", "b4s", "b7", "b8", "b9"};

}  // namespace

// --- Parameters --------------------------------------------------------------

ParameterFields OpenParametersDialog(const SolverParameters& p) {
  return {Format("%d", p.layers), Format("%d", p.design_outputs), Format("%.g", p.convergence),
          Format("%d", p.max_iterations)};
}

DialogReply AcceptParametersDialog(AnalysisSettings& settings, const ParameterFields& f,
                                   std::string& model_path) {
  FieldCheck check;
  int layers = 0, outputs = 0, iterations = 0;
  double convergence = 0;
  if (!check.Int(f.layers, 0, "Number of layers", 1, layers) ||
      !check.Int(f.design_outputs, 1, "Number of design outputs", 0, outputs) ||
      !check.Real(f.convergence, 2, "Convergence criterion", 0, true, kInfinity, convergence) ||
      !check.Int(f.max_iterations, 3, "Maximum number of iterations", 1, iterations))
    return check.reply;
  SolverParameters& p = settings.parameters;
  p.layers = layers;
  p.design_outputs = outputs;
  p.convergence = static_cast<float>(convergence);
  p.max_iterations = iterations;
  return Store(model_path, "par", [&](const std::string& path) { return WriteParameterFile(p, path); });
}

// --- Materials ---------------------------------------------------------------

MaterialFields OpenMaterialsDialog(const AnalysisSettings& settings) {
  MaterialFields f;
  if (!HasMaterial(settings)) return f;
  const MaterialRecord& m = settings.material;
  const std::string values[kMaterialFieldCount] = {
      m.name, Format("%.0f", m.solid_density), Format("%.0f", m.melt_density),
      Format("%.0f", m.specific_heat), Format("%.3f", m.conductivity),
      Celsius0(m.melt_temperature_min), Celsius0(m.melt_temperature_max),
      Celsius0(m.mold_temperature_min), Celsius0(m.mold_temperature_max),
      Celsius0(m.no_flow_temperature), Celsius0(m.ejection_temperature)};
  for (int i = 0; i < kMaterialFieldCount; ++i) f.text[i] = values[i];
  return f;
}

void PickMaterial(AnalysisSettings& settings, const std::vector<MaterialRecord>& materials, int index) {
  if (index < 0 || index >= static_cast<int>(materials.size())) return;
  settings.material = materials[index];
  settings.current_material = index;
}

DialogReply AcceptMaterialsDialog(AnalysisSettings& settings, const MaterialFields& f,
                                  std::string& model_path) {
  if (!HasMaterial(settings)) return {false, "Select polymer first.", kIconExclamation, -1};
  MaterialRecord m = settings.material;
  struct Number {
    const char* label;
    float* field;
    bool temperature;
  };
  const Number numbers[] = {
      {"Solid density", &m.solid_density, false},     {"Melt density", &m.melt_density, false},
      {"Cp", &m.specific_heat, false},                {"k", &m.conductivity, false},
      {"Injection temperature (minimum)", &m.melt_temperature_min, true},
      {"Injection temperature (maximum)", &m.melt_temperature_max, true},
      {"Mold temperature (minimum)", &m.mold_temperature_min, true},
      {"Mold temperature (maximum)", &m.mold_temperature_max, true},
      {"No-flow temperature", &m.no_flow_temperature, true},
      {"Ejection temperature", &m.ejection_temperature, true}};
  FieldCheck check;
  for (int i = 0; i < kMaterialFieldCount - 1; ++i) {
    const Number& n = numbers[i];
    const std::string& text = f.text[i + 1];
    if (Trim(text).empty()) continue;  // an empty field keeps the stored value
    double v = 0;
    if (n.temperature) {
      if (!check.Real(text, i + 1, n.label, kAbsoluteZeroC, true, kInfinity, v)) return check.reply;
      *n.field = static_cast<float>(v + kCelsiusOffset);
    } else {
      if (!check.Real(text, i + 1, n.label, 0, true, kInfinity, v)) return check.reply;
      *n.field = static_cast<float>(v);
    }
  }
  const std::string name = Trim(f.text[0]);
  if (!name.empty()) m.name = name.substr(0, kMaterialNameLimit);
  settings.material = m;
  return Store(model_path, "mtl", [&](const std::string& path) { return WriteMaterialFile(m, path); });
}

// --- Rheological and pVT data --------------------------------------------------

std::vector<std::string> OpenRheologyDialog(const AnalysisSettings& settings) {
  if (!HasMaterial(settings)) return std::vector<std::string>(kCrossWlfCount);
  float v[kCrossWlfCount];
  GetCrossWlfConstants(settings.material, v);
  return Shown4g(v, kCrossWlfCount);
}

std::vector<std::string> OpenPvtDialog(const AnalysisSettings& settings) {
  if (!HasMaterial(settings)) return std::vector<std::string>(kTaitCount);
  float v[kTaitCount];
  GetTaitCoefficients(settings.material, v);
  return Shown4g(v, kTaitCount);
}

DialogReply AcceptRheologyDialog(AnalysisSettings& settings, const std::vector<std::string>& fields) {
  FieldCheck check;
  float v[kCrossWlfCount];
  GetCrossWlfConstants(settings.material, v);
  if (!ReadCoefficients(check, fields, kWlfLabels, kCrossWlfCount, true, v)) return check.reply;
  SetCrossWlfConstants(settings.material, v);
  return check.reply;
}

DialogReply AcceptPvtDialog(AnalysisSettings& settings, const std::vector<std::string>& fields) {
  FieldCheck check;
  float v[kTaitCount];
  GetTaitCoefficients(settings.material, v);
  if (!ReadCoefficients(check, fields, kTaitLabels, kTaitCount, true, v)) return check.reply;
  SetTaitCoefficients(settings.material, v);
  return check.reply;
}

bool RheologyPlotValues(const AnalysisSettings& settings, const std::vector<std::string>& fields,
                        float wlf[kCrossWlfCount], DialogReply& reply) {
  reply = DialogReply{};
  if (!HasMaterial(settings)) return false;
  FieldCheck check;
  const bool ok = ReadCoefficients(check, fields, kWlfLabels, kCrossWlfCount, false, wlf);
  reply = check.reply;
  return ok;
}

bool PvtPlotValues(const AnalysisSettings& settings, const std::vector<std::string>& fields,
                   float tait[kTaitCount], DialogReply& reply) {
  reply = DialogReply{};
  if (!HasMaterial(settings)) return false;
  FieldCheck check;
  const bool ok = ReadCoefficients(check, fields, kTaitLabels, kTaitCount, false, tait);
  reply = check.reply;
  return ok;
}

// --- Processing conditions -------------------------------------------------------

ProcessFields OpenProcessDialog(const AnalysisSettings& settings) {
  const ProcessConditions& c = settings.process;
  ProcessFields f;
  f.text[0] = Format("%g", c.clamp_force / 1000.0);
  f.text[1] = Format("%g", c.mold_temperature - kCelsiusOffset);
  f.text[2] = Format("%g", c.ejection_temperature - kCelsiusOffset);
  f.text[3] = Format("%g", c.ambient_temperature - kCelsiusOffset);
  for (int i = 0; i < 3; ++i) {
    f.text[4 + i] = Format("%g", c.parting_normal[i]);
    f.text[7 + i] = Format("%g", c.gravity[i]);
  }
  if (HasMaterial(settings)) {
    const MaterialRecord& m = settings.material;
    const double mold = (m.mold_temperature_min + m.mold_temperature_max) / 2.0 - kCelsiusOffset;
    if (mold > 0) f.text[1] = Format("%.0f", mold);
    const double ejection = m.ejection_temperature - kCelsiusOffset;
    if (ejection > 0) f.text[2] = Format("%.0f", ejection);
  }
  return f;
}

DialogReply AcceptProcessDialog(AnalysisSettings& settings, const ProcessFields& f,
                                std::string& model_path) {
  FieldCheck check;
  double v[kProcessFieldCount];
  static const char* const kLabels[kProcessFieldCount] = {
      "Clamp force", "Mold wall temperature", "Ejection temperature", "Ambient temperature",
      "Parting plane normal x", "Parting plane normal y", "Parting plane normal z",
      "Gravity x", "Gravity y", "Gravity z"};
  for (int i = 0; i < kProcessFieldCount; ++i) {
    const double low = i == 0 ? 0 : (i <= 3 ? kAbsoluteZeroC : -kInfinity);
    if (!check.Real(f.text[i], i, kLabels[i], low, i >= 1 && i <= 3, kInfinity, v[i])) return check.reply;
  }
  if (v[4] == 0 && v[5] == 0 && v[6] == 0) {
    check.Refuse(4, "The parting plane normal must not be zero.");
    return check.reply;
  }
  ProcessConditions& c = settings.process;
  SetStandardPhaseTimes(c);
  c.clamp_force = static_cast<float>(v[0] * 1000);
  c.mold_temperature = static_cast<float>(v[1] + kCelsiusOffset);
  c.ejection_temperature = static_cast<float>(v[2] + kCelsiusOffset);
  c.ambient_temperature = static_cast<float>(v[3] + kCelsiusOffset);
  for (int i = 0; i < 3; ++i) {
    c.parting_normal[i] = static_cast<float>(v[4 + i]);
    c.gravity[i] = static_cast<float>(v[7 + i]);
  }
  return Store(model_path, "prc", [&](const std::string& path) { return WriteProcessFile(c, path); });
}

// --- Boundary conditions -----------------------------------------------------------

std::vector<std::string> BoundaryTypeChoices(int dimension, int& selected) {
  if (dimension == 3) {
    selected = 0;
    return {"Inlet", "Outlet"};
  }
  selected = 1;
  return {"Potential inlet", "Inlet"};
}

int BoundaryPickState(int dimension, int type_index, bool& injection_dialogs) {
  injection_dialogs = false;
  if (type_index == 0 && dimension != 3) return 13;
  if (type_index == 1 && dimension == 3) return 16;
  if (type_index != 0 && type_index != 1) return 0;
  injection_dialogs = true;
  return dimension == 3 ? 15 : 14;
}

DialogReply DeleteAllBoundaries(AnalysisSettings& settings, std::string& model_path) {
  settings.node_boundaries.clear();
  settings.face_boundaries.clear();
  settings.injection_units.clear();
  settings.inlet_count = 0;
  return Store(model_path, "bcd", [&](const std::string& path) {
    return WriteBoundaryFile(settings.node_boundaries, settings.face_boundaries, path);
  });
}

// --- Screw ---------------------------------------------------------------------------

int BeginInjectionUnit(AnalysisSettings& settings) {
  const int index = std::max(settings.inlet_count, 0);
  settings.injection_units.resize(index + 1);
  settings.injection_units[index] = DefaultInjectionUnit();
  return index;
}

ScrewFields ScrewFieldsOf(const ScrewRecord& s) {
  ScrewFields f;
  f.text[0] = s.name;
  f.text[1] = Shown(s.max_stroke * 1000.0);
  f.text[2] = Shown(s.max_pressure / 1e6);
  f.text[3] = Shown(s.max_rate * 1e6);
  f.text[4] = Shown(s.pressure_ratio);
  f.text[5] = Shown(s.diameter * 1000.0);
  return f;
}

DialogReply AcceptScrewDialog(AnalysisSettings& settings, const ScrewFields& f) {
  static const char* const kLabels[kScrewFieldCount] = {
      "", "Maximum injection stroke", "Maximum hydraulic pressure", "Maximum injection rate",
      "Resin/hydraulic pressure ratio", "Screw diameter"};
  FieldCheck check;
  double v[kScrewFieldCount] = {};
  for (int i = 1; i < kScrewFieldCount; ++i)
    if (!check.Real(f.text[i], i, kLabels[i], 0, true, kInfinity, v[i])) return check.reply;
  if (settings.inlet_count >= static_cast<int>(settings.injection_units.size())) BeginInjectionUnit(settings);
  InjectionUnit& u = settings.injection_units[settings.inlet_count];
  u.max_stroke = static_cast<float>(v[1] / 1000);
  u.max_pressure = static_cast<float>(v[2] * 1e6);
  u.max_rate = static_cast<float>(v[3] / 1e6);
  u.pressure_ratio = static_cast<float>(v[4]);
  u.screw_diameter = static_cast<float>(v[5] / 1000);
  return check.reply;
}

// --- Injection settings ------------------------------------------------------------

InjectionFields OpenInjectionDialog(const AnalysisSettings& settings, double model_volume, DialogReply& reply) {
  reply = DialogReply{};
  InjectionFields f;
  f.melt_temperature = "230";
  if (HasMaterial(settings)) {
    const MaterialRecord& m = settings.material;
    const double melt = (m.melt_temperature_min + m.melt_temperature_max) / 2.0 - kCelsiusOffset;
    if (melt > 0) f.melt_temperature = Format("%.0f", melt);
  }
  InjectionUnit unit;
  const int index = settings.inlet_count;
  if (index >= 0 && index < static_cast<int>(settings.injection_units.size())) unit = settings.injection_units[index];
  const double required = RequiredStroke(model_volume, unit.screw_diameter);
  if (unit.max_stroke > required) {
    f.stroke = Format("%.0f", required * 1000);
  } else {
    reply.message = "Required injection stroke is larger than maximum injection stroke.";
    reply.icon = kIconStop;
  }
  const InjectionUnit defaults = DefaultInjectionUnit();
  for (int i = 0; i < kProfilePoints; ++i) {
    f.position[i] = Format("%g", defaults.profile[i][0]);
    f.speed[i] = Format("%g", defaults.profile[i][1]);
  }
  f.gate_on[0] = "0";
  f.gate_off[0] = "1000";
  f.switch_volume = "99";
  f.pressure_ratio = "0.8";
  return f;
}

DialogReply AcceptInjectionDialog(AnalysisSettings& settings, const InjectionFields& f) {
  FieldCheck check;
  double melt = 0, stroke = 0;
  if (!check.Real(f.melt_temperature, 0, "Melt temperature", kAbsoluteZeroC, true, kInfinity, melt) ||
      !check.Real(f.stroke, 1, "Injection stroke", 0, true, kInfinity, stroke))
    return check.reply;
  double profile[kProfilePoints][2], timer[kProfilePoints][2];
  for (int i = 0; i < kProfilePoints; ++i) {
    const double previous = i == 0 ? 0 : profile[i - 1][0];
    const std::string position = Format("Position %d", i + 1), speed = Format("Speed %d", i + 1);
    const std::string on = Format("Valve gate %d on", i + 1), off = Format("Valve gate %d off", i + 1);
    if (!check.Real(f.position[i], 2 + i, position.c_str(), previous, false, 100, profile[i][0]) ||
        !check.Real(f.speed[i], 8 + i, speed.c_str(), 0, true, 100, profile[i][1]) ||
        !check.Real(f.gate_on[i], 14 + i, on.c_str(), 0, false, kInfinity, timer[i][0]) ||
        !check.Real(f.gate_off[i], 20 + i, off.c_str(), 0, false, kInfinity, timer[i][1]))
      return check.reply;
  }
  double sw[4];
  const std::string* texts[4] = {&f.switch_volume, &f.switch_position, &f.switch_pressure, &f.pressure_ratio};
  static const char* const kLabels[4] = {"F/P switch by volume", "F/P switch by position",
                                         "F/P switch by pressure", "F/P pressure ratio"};
  for (int i = 0; i < 4; ++i)
    if (!check.Real(*texts[i], 26 + i, kLabels[i], 0, false, i == 0 ? 100 : kInfinity, sw[i])) return check.reply;
  if (settings.inlet_count >= static_cast<int>(settings.injection_units.size())) BeginInjectionUnit(settings);
  InjectionUnit& u = settings.injection_units[settings.inlet_count];
  u.melt_temperature = static_cast<float>(melt);
  u.stroke = static_cast<float>(stroke);
  for (int i = 0; i < kProfilePoints; ++i) {
    for (int j = 0; j < 2; ++j) {
      u.profile[i][j] = static_cast<float>(profile[i][j]);
      u.valve_timer[i][j] = static_cast<float>(timer[i][j]);
    }
  }
  u.switch_volume = static_cast<float>(sw[0]);
  u.switch_position = static_cast<float>(sw[1]);
  u.switch_pressure = static_cast<float>(sw[2]);
  u.fill_pack_ratio = static_cast<float>(sw[3]);
  return check.reply;
}

}  // namespace kv

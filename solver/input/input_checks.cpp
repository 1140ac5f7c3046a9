#include "solver/input/input_checks.h"

#include <cmath>

#include "common/geometry/categories.h"
#include "common/text/number_format.h"
#include "solver/input/job_files.h"

namespace kv {
namespace {

// What a value must satisfy.
enum class Bound { kPositive, kNotNegative, kFraction };

constexpr double kMaxSectionSize = 1.0;  // m, largest thickness or diameter taken as meant

// One check: `value` of record `code` of the file `path`, described by `what`.
// Returns true when the value is inside; otherwise sets `error`.
bool Inside(const std::string& path, int code, const char* what, double value, Bound bound,
            std::string& error) {
  const bool ok = std::isfinite(value) && (bound == Bound::kPositive      ? value > 0
                                           : bound == Bound::kNotNegative ? value >= 0
                                                                          : value >= 0 && value <= 1);
  if (ok) return true;
  const char* rule = bound == Bound::kPositive      ? "it must be above 0"
                     : bound == Bound::kNotNegative ? "it must not be negative"
                                                    : "it must be from 0 to 1";
  error = path + Format(": record %d (%s): %g; ", code, what, value) + rule;
  return false;
}

bool CheckProcess(const ProcessConditions& c, const std::string& path, std::string& error) {
  return Inside(path, 11001, "mold temperature, K", c.mold_temperature, Bound::kPositive, error) &&
         Inside(path, 11002, "ejection temperature, K", c.ejection_temperature, Bound::kPositive, error);
}

// Section sizes of the elements that carry melt: shells need a thickness,
// beams a diameter. Named by the element's 1-based number.
bool CheckSections(const MeshModel& mesh, const std::string& path, std::string& error) {
  for (size_t e = 0; e < mesh.elements.size(); ++e) {
    const Element& element = mesh.elements[e];
    const bool shell = IsShellCategory(element.category);
    // Connectors are left out: the run sets their diameters itself.
    const bool beam = element.category == kColdRunner || element.category == kHotRunner ||
                      element.category == kPartRunner;
    if (!shell && !beam) continue;
    const double size = shell ? element.thickness : element.diameter;
    if (!(size > 0 && size <= kMaxSectionSize)) {
      error = path + Format(": element %zu (%s, m): %g; it must be above 0 and at most 1 m", e + 1,
                            shell ? "thickness" : "diameter", size);
      return false;
    }
  }
  return true;
}

bool CheckInjection(const SolverInjection& u, const std::string& path, std::string& error) {
  if (!Inside(path, 52005, "injection temperature, K", u.melt_temperature, Bound::kPositive, error) ||
      !Inside(path, 52008, "injection stroke, m", u.stroke, Bound::kPositive, error) ||
      !Inside(path, 52021, "maximum injection rate, m^3/s", u.max_rate, Bound::kPositive, error) ||
      !Inside(path, 52023, "screw diameter, m", u.screw_diameter, Bound::kPositive, error) ||
      !Inside(path, 52024, "maximum hydraulic pressure, Pa", u.max_pressure, Bound::kPositive, error) ||
      !Inside(path, 52025, "resin/hydraulic pressure ratio", u.pressure_ratio, Bound::kPositive, error) ||
      !Inside(path, 52031, "switch-over by volume, %", u.switch_volume, Bound::kNotNegative, error))
    return false;
  for (int i = 0; i < kProfilePoints; ++i) {
    if (!Inside(path, 52015, "injection speed profile, stroke fraction", u.profile[i][0], Bound::kNotNegative,
                error) ||
        !Inside(path, 52015, "injection speed profile, speed fraction", u.profile[i][1], Bound::kNotNegative,
                error))
      return false;
  }
  return true;
}

bool CheckMaterial(const JobMaterial& m, const std::string& path, std::string& error) {
  const MaterialRecord& p = m.polymer;
  return Inside(path, 1000, "melt density, kg/m^3", p.melt_density, Bound::kPositive, error) &&
         Inside(path, 1109, "polymer specific heat, J/(kg.C)", p.specific_heat, Bound::kPositive, error) &&
         Inside(path, 1200, "polymer thermal conductivity, W/(m.C)", p.conductivity, Bound::kPositive, error) &&
         Inside(path, 1250, "no-flow temperature, K", p.no_flow_temperature, Bound::kPositive, error) &&
         Inside(path, 1313, "Cross-WLF n", p.n, Bound::kFraction, error) &&
         Inside(path, 1313, "Cross-WLF Tau*, Pa", p.tau_star, Bound::kPositive, error) &&
         Inside(path, 1313, "Cross-WLF D1, Pa.s", p.d1, Bound::kPositive, error) &&
         Inside(path, 1313, "Cross-WLF D2, K", p.d2, Bound::kPositive, error) &&
         Inside(path, 1313, "Cross-WLF D3, K/Pa", p.d3, Bound::kNotNegative, error) &&
         Inside(path, 1313, "Cross-WLF A1", p.a1, Bound::kNotNegative, error) &&
         Inside(path, 1313, "Cross-WLF A2~, K", p.a2, Bound::kPositive, error) &&
         Inside(path, 8000, "mold density, kg/m^3", m.mold_density, Bound::kPositive, error) &&
         Inside(path, 8100, "mold specific heat, J/(kg.C)", m.mold_specific_heat, Bound::kPositive, error) &&
         Inside(path, 8200, "mold thermal conductivity, W/(m.C)", m.mold_conductivity, Bound::kPositive, error);
}

}  // namespace

int CheckJobInputs(const RunState& state, std::string& error) {
  const std::string& job = state.job;
  if (!CheckProcess(state.process, JobFileName(job, "prc"), error)) return 0;
  if (!CheckSections(state.mesh, JobFileName(job, "m2D"), error)) return 0;
  if (!state.injections.empty() && !CheckInjection(state.injections.front(), JobFileName(job, "inj"), error))
    return 0;
  if (!CheckMaterial(state.material, JobFileName(job, "mtl"), error)) return 0;
  return 1;
}

}  // namespace kv

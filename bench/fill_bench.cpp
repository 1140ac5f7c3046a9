// Filling benchmark: generates a plate job of about N nodes (a rectangular
// plate 2 mm thick fed by a cold-runner sprue at its centre or at the middle of
// an edge, general-purpose polystyrene, 6 layers, a fill of about one second)
// and runs the solver on it, printing the wall time, the number of passes and
// the share of time in assembly, pressure solve, thermal update and front
// advance, the CPU time and the peak memory, and the preconditioner and
// thread count used (KAVITRON_PRECONDITIONER, KAVITRON_THREADS).
//
// --pass-rule chooses the pass rule (volume, the default, or cubic);
// --compare-rules runs the job with both rules and with a reference whose
// passes are ten times shorter than either allows, and prints how far each
// rule's inlet pressure history, fill times and final pressure field lie
// from the reference.
//
//   bench_fill [--pass-rule=volume|cubic] [--compare-rules] NODES centre|edge DIRECTORY
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/analysis/analysis_files.h"
#include "common/geometry/constants.h"
#include "common/mesh/native_mesh_file.h"
#include "solver/driver/entry.h"
#include "solver/driver/fill_agreement.h"
#include "solver/driver/filling_run.h"
#include "solver/driver/run_driver.h"
#include "solver/filling/pass_rule.h"
#include "solver/matrix/parallel.h"
#include "solver/matrix/pcg_solver.h"
#include "solver/tests/test_meshes.h"

namespace {

constexpr double kLength = 0.2, kWidth = 0.1;  // m, plate
constexpr float kThickness = 0.002f;           // m
constexpr float kSprueDiameter = 0.005f;       // m
constexpr double kSprueLength = 0.04;          // m, four beams along -z
constexpr double kFillTime = 1.0;              // s, target at the profile's full speed

kv::MeshModel BuildJobMesh(int nodes, bool centre, int& inlet) {
  kv::MeshModel mesh;
  // Cells nx by ny in the plate's aspect ratio 2:1 with (nx + 1)(ny + 1) ~ nodes.
  const int ny = std::max(2, static_cast<int>(std::sqrt(nodes / 2.0)) - 1);
  const int nx = 2 * ny;
  kv::ElementProperty runner, plate;
  runner.identifier = 1;
  runner.category = kv::kColdRunner;
  runner.name = kv::CategoryName(kv::kColdRunner);
  runner.thickness = runner.diameter = kSprueDiameter;
  plate.identifier = 2;
  plate.category = kv::kPartSurface;
  plate.name = kv::CategoryName(kv::kPartSurface);
  plate.thickness = plate.diameter = kThickness;
  mesh.properties = {runner, plate};
  // The plate and the sprue come from the generators of the solver tests.
  kv::MeshModel plate_mesh = kv::test::Plate(kLength, kWidth, nx, ny, kThickness);
  plate_mesh.properties = mesh.properties;
  for (kv::Element& e : plate_mesh.elements) e.property = 1;
  mesh = std::move(plate_mesh);
  const int gate = centre ? (ny / 2) * (nx + 1) + nx / 2 : (ny / 2) * (nx + 1);
  const float down[3] = {0, 0, -1};
  const int elements_before = static_cast<int>(mesh.elements.size());
  const int previous = kv::test::AddRunner(mesh, gate, nullptr, down, kSprueLength, 4, kSprueDiameter);
  for (size_t e = elements_before; e < mesh.elements.size(); ++e) mesh.elements[e].property = 0;
  inlet = previous;
  return mesh;
}

bool WriteJob(const std::string& base, int nodes, bool centre) {
  int inlet = 0;
  const kv::MeshModel mesh = BuildJobMesh(nodes, centre, inlet);
  const double volume = kLength * kWidth * kThickness + kv::kPi * kSprueDiameter * kSprueDiameter / 4 * kSprueLength;
  kv::SolverParameters parameters;  // 6 layers
  kv::ProcessConditions process;    // mold 50 C
  kv::InjectionUnit unit = kv::DefaultInjectionUnit();  // melt 230 C
  unit.screw_diameter = 0.04f;
  unit.stroke = static_cast<float>(1.2 * volume / (kv::kPi * 0.04 * 0.04 / 4) * 1000);  // mm
  for (int k = 0; k < 6; ++k) {
    unit.profile[k][0] = static_cast<float>(20 * k);
    unit.profile[k][1] = 100;
  }
  unit.max_rate = static_cast<float>(volume / kFillTime);
  unit.max_stroke = 0.2f;
  unit.max_pressure = 2e7f;  // Pa hydraulic
  unit.pressure_ratio = 10;  // 200 MPa on the melt
  kv::MaterialRecord ps;     // general-purpose polystyrene
  ps.name = "GPPS";
  ps.melt_density = 950;
  ps.solid_density = 1040;
  ps.specific_heat = 2100;
  ps.conductivity = 0.22f;
  ps.no_flow_temperature = 373.15f;
  ps.n = 0.252f;
  ps.tau_star = 30800;
  ps.d1 = 4.76e10f;
  ps.d2 = 373.15f;
  ps.a1 = 25.7f;
  ps.a2 = 61.06f;
  return kv::WriteMeshM2D(mesh, base + ".m2D", 0, "") == 1 && kv::WriteParameterFile(parameters, base + ".par") == 1 &&
         kv::WriteProcessFile(process, base + ".prc") == 1 &&
         kv::WriteBoundaryFile({{0, kv::kInletNode, inlet}}, {}, base + ".bcd") == 1 &&
         kv::WriteInjectionFile({unit}, base + ".inj") == 1 && kv::WriteMaterialFile(ps, base + ".mtl") == 1;
}

struct JobRun {
  int status = 0;
  double wall = 0;
  long passes = 0;
};

// Runs the job at `base` with the pass rule `rule` and prints one line of
// figures under `label`; the history goes to `history` when given.
JobRun RunJob(const std::string& base, const char* label, const kv::PassRule& rule, kv::FillHistory* history) {
  kv::SolverOutput out;
  out.console = std::fopen("/dev/null", "w");
  kv::OpenSolverLog(out, base + ".f2D.log");
  kv::RunState state;
  state.job = base;
  state.passes = rule;
  kv::FillingProfile profile;
  state.profile = &profile;
  state.history = history;
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  int status = kv::ReadJobInputs(out, state);
  if (status == kv::kJobInputsRead) status = kv::RunDriver(out, state);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  kv::CloseSolverLog(out);
  std::fclose(out.console);
  const double parts = profile.assembly + profile.pressure + profile.thermal + profile.front;
  auto share = [&](double t) { return parts > 0 ? 100 * t / wall : 0.0; };
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const rusage& u) {
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
  };
  std::printf("%-9s %7zu nodes  status %d  wall %7.2f s  cpu %7.2f s  peak memory %6.1f MB  %s, %d threads  "
              "passes %6ld (%.1f ms each)  assembly %4.1f %%  "
              "pressure %4.1f %%  thermal %4.1f %%  front %4.1f %%  CG iterations per solve %.1f (%ld of %ld solves under "
              "pressure control, %.1f each)\n",
              label, state.mesh.nodes.size(), status, wall, seconds(usage) - seconds(before), usage.ru_maxrss / 1024.0,
              kv::ChosenPreconditioner() == kv::kPreconditionerMultigrid ? "multigrid" : "DILU", kv::MatrixThreadCount(),
              profile.passes,
              profile.passes > 0 ? 1000 * wall / profile.passes : 0.0, share(profile.assembly),
              share(profile.pressure), share(profile.thermal), share(profile.front),
              profile.pressure_solves > 0 ? double(profile.pcg_iterations) / profile.pressure_solves : 0.0,
              profile.pressure_mode_solves, profile.pressure_solves,
              profile.pressure_mode_solves > 0 ? double(profile.pressure_mode_iterations) / profile.pressure_mode_solves
                                               : 0.0);
  std::fflush(stdout);
  return {status, wall, profile.passes};
}

void PrintAgreement(const char* label, const kv::FillHistory& reference, const kv::FillHistory& trial) {
  const kv::FillAgreement a = kv::CompareFills(reference, trial);
  std::printf("%-6s rule against the reference: inlet pressure history max %.2f %% mean %.2f %% of its peak, "
              "fill times max %.2f %% mean %.3f %% of the fill time, final pressure field max %.2f %% of its peak, "
              "%d nodes reached by one run only\n",
              label, 100 * a.inlet_max, 100 * a.inlet_mean, 100 * a.fill_time_max, 100 * a.fill_time_mean,
              100 * a.pressure_max, a.unmatched);
}

}  // namespace

int main(int argc, char** argv) {
  kv::PassRule rule;
  bool compare = false, usable = true;
  std::vector<std::string> args;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--compare-rules") {
      compare = true;
    } else if (arg.rfind("--pass-rule=", 0) == 0) {
      usable = usable && kv::ParsePassRule(arg.substr(12), rule);
    } else {
      args.push_back(arg);
    }
  }
  if (!usable || args.size() != 3) {
    std::fprintf(stderr, "usage: bench_fill [--pass-rule=volume|cubic] [--compare-rules] NODES centre|edge DIRECTORY\n");
    return 2;
  }
  const int nodes = std::atoi(args[0].c_str());
  const bool centre = args[1] != "edge";
  const std::string base = args[2] + "/fill" + args[0] + args[1];
  if (nodes < 9 || !WriteJob(base, nodes, centre)) {
    std::fprintf(stderr, "bench_fill: cannot write the job %s\n", base.c_str());
    return 1;
  }
  kv::KeepFreedMemoryForReuse();  // as fluxar does
  if (!compare) return RunJob(base, args[1].c_str(), rule, nullptr).status == 1 ? 0 : 1;
  // Both rules and the reference: passes ten times shorter than either rule
  // allows (every limit of both divided by ten).
  kv::PassRule volume, cubic, reference;
  cubic.kind = reference.kind = kv::kPassRuleCubic;
  reference.shorten = 10;
  kv::FillHistory by_volume, by_cubic, by_reference;
  const JobRun a = RunJob(base, "volume", volume, &by_volume);
  const JobRun b = RunJob(base, "cubic", cubic, &by_cubic);
  const JobRun c = RunJob(base, "reference", reference, &by_reference);
  PrintAgreement("volume", by_reference, by_volume);
  PrintAgreement("cubic", by_reference, by_cubic);
  return a.status == 1 && b.status == 1 && c.status == 1 ? 0 : 1;
}

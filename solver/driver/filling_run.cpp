#include "solver/driver/filling_run.h"

#include <malloc.h>

#include <cstdio>
#include <ctime>

#include "common/geometry/categories.h"
#include "common/files/write_aside.h"
#include "common/results/cooling_input.h"
#include "common/results/restart_file.h"
#include "common/results/result_writer.h"
#include "solver/driver/entry.h"
#include "solver/filling/filling.h"
#include "solver/input/job_files.h"
#include "solver/thermal/result_quantities.h"
#include "solver/thermal/wall_temperature.h"

namespace kv {

namespace {

constexpr double kTimeLimit = 500.0;        // s of filling
constexpr double kRowInterval = 0.01;       // s between status rows
constexpr double kResultInterval = 0.05;    // s between result sets
constexpr float kShortShotFlow = 2e-8f;     // m^3/s
constexpr float kFilledPercentage = 99.99f;

PolymerData MaterialOf(const RunState& rs) {
  PolymerData m;
  const MaterialRecord& p = rs.material.polymer;
  m.melt_density = p.melt_density;
  m.specific_heat = p.specific_heat;
  m.conductivity = p.conductivity;
  m.no_flow_temperature = p.no_flow_temperature;
  m.n = p.n;
  m.tau_star = p.tau_star;
  m.d1 = p.d1;
  m.d2 = p.d2;
  m.d3 = p.d3;
  m.a1 = p.a1;
  m.a2_tilde = p.a2;
  m.mold_density = rs.material.mold_density;
  m.mold_specific_heat = rs.material.mold_specific_heat;
  m.mold_conductivity = rs.material.mold_conductivity;
  m.mold_temperature = rs.process.mold_temperature;
  m.ejection_temperature = rs.process.ejection_temperature;
  m.melt_temperature = rs.injections.empty() ? 0.0f : rs.injections.front().melt_temperature;
  return m;
}

void PrintRule(SolverOutput& out) { Print(out, "%s\n", std::string(64, '-').c_str()); }

void PrintRow(SolverOutput& out, const SolverState& s, const char* status) {
  Print(out, "| %5.2f | %6.2f | %8.2f | %5.0f | %9.2f | %3.0f |%s|\n", s.time, s.filled_percentage,
        s.pressure[s.inlet] / 1e6, s.clamp_force / 9800.0, s.flow_rate[s.inlet] * 1e6,
        s.relative_ram_speed * 100.0, status);
}

void PrintStatusRow(SolverOutput& out, const SolverState& s) {
  const char status[9] = {' ', ' ', ' ', ' ', s.status, ' ', ' ', ' ', 0};
  PrintRow(out, s, status);
}

// Flow elements other than connectors have values in the element blocks;
// nodes that the melt reached have pressures.
std::vector<uint8_t> ElementsWithValues(const MeshModel& mesh) {
  std::vector<uint8_t> has(mesh.elements.size(), 0);
  for (size_t e = 0; e < mesh.elements.size(); ++e) {
    has[e] = IsFlowCategory(mesh.elements[e].category) && mesh.elements[e].category != kConnector;
  }
  return has;
}

std::vector<uint8_t> ReachedNodes(const SolverState& s) {
  std::vector<uint8_t> has(s.node_count, 0);
  for (int i = 0; i < s.node_count; ++i) has[i] = s.fill_state[i] != -1.0f;
  return has;
}

void WriteScalarBlocks(std::FILE* f, const SolverState& s) {
  const float t = static_cast<float>(s.time);
  WritePressureTraceBlock(f, t, s.pressure[s.inlet]);
  WriteClampForceBlock(f, t, s.clamp_force, s.filled_percentage);
}

void WriteFieldBlocks(std::FILE* f, const SolverState& s, const RunState& rs, const PolymerData& m,
                      bool final_set) {
  const float t = static_cast<float>(s.time);
  const std::vector<uint8_t> elements = ElementsWithValues(rs.mesh);
  std::vector<float> molten(s.element_count);
  for (int e = 0; e < s.element_count; ++e) molten[e] = 1.0f - s.frozen_fraction[e];
  WriteMoltenCoreBlock(f, t, molten, elements);
  WriteAverageVelocityBlock(f, t, s.velocity_x, s.velocity_y, s.velocity_z, elements);
  const EntityField bulk = NodeBulkTemperature(s, rs.mesh, rs.prep, m);
  WriteBulkTemperatureBlock(f, t, bulk.value, bulk.defined);
  const EntityField shear = NodeShearRate(s, rs.mesh, rs.prep);
  WriteShearRateBlock(f, t, shear.value, shear.defined);
  const EntityField stress = NodeWallShearStress(s, rs.mesh, rs.prep);
  WriteWallShearStressBlock(f, t, stress.value, stress.defined);
  if (final_set) {
    const EntityField cool = ElementCoolingTime(s, rs.mesh, m);
    WriteTimeToCoolBlock(f, cool.value, cool.defined);
  }
  WriteMeltPressureBlock(f, t, s.pressure, ReachedNodes(s));
  WriteClampCentroidBlock(f, s.clamp_centroid, rs.process.parting_normal);
}

void WritePeriodicSet(std::FILE* f, const SolverState& s, const RunState& rs, const PolymerData& m) {
  WriteFieldBlocks(f, s, rs, m, false);
  WriteScalarBlocks(f, s);
}

void WriteFinalSet(std::FILE* f, const SolverState& s, const RunState& rs, const PolymerData& m) {
  WriteScalarBlocks(f, s);
  WriteFieldBlocks(f, s, rs, m, true);
  std::vector<uint8_t> reached(s.node_count, 0);
  for (int i = 0; i < s.node_count; ++i) reached[i] = s.fill_time[i] >= 0;
  WriteMeltFrontBlock(f, s.fill_time, reached);
}

// The job must have something to inject into and an inlet on the melt path.
bool CheckJob(SolverOutput& out, const RunState& rs, const CategoryVolumes& volumes) {
  if (rs.injections.empty()) {
    Print(out, "\nError: no injection unit in the injection control file!\n");
    return false;
  }
  if (!(volumes.injection > 0)) {
    Print(out, "\nError: injection volume is zero: the mesh has no cold runner or part elements!\n");
    return false;
  }
  bool on_flow = false;
  for (int j = rs.prep.element_start[rs.inlet_node]; j < rs.prep.element_start[rs.inlet_node + 1]; ++j) {
    on_flow = on_flow || IsFlowCategory(rs.mesh.elements[rs.prep.element_list[j]].category);
  }
  if (!on_flow) {
    Print(out, "\nError: injection node %d is not on a runner or part element!\n", rs.inlet_node + 1);
    return false;
  }
  const SolverInjection& unit = rs.injections.front();
  if (!(unit.max_rate > 0) || !(unit.stroke > 0) || !(unit.screw_diameter > 0)) {
    Print(out, "\nError: the injection unit needs a positive stroke, screw diameter and injection rate!\n");
    return false;
  }
  return true;
}

// The cause of a short shot where one is known: a valve timer of the
// injection unit that never opens or has closed, or a closed valve gate.
void PrintShortShotCause(SolverOutput& out, const SolverState& s, const FillingJob& job) {
  const double open = job.injection->valve_timer[0][0], close = job.injection->valve_timer[0][1];
  if (close < open) {
    Print(out, "The valve timer of the injection unit closes (%g s) before it opens (%g s): no melt can enter.\n",
          close, open);
  } else if (s.time > close && s.control_mode == kVelocityControl) {
    Print(out, "The valve timer of the injection unit closed at %g s: no melt enters any more.\n", close);
  } else if (ClosedGateHoldsMelt(s, job)) {
    Print(out, "A closed valve gate cuts the melt off from the rest of the mold.\n");
  }
}

// Reports a failed pass; the run ends with status 255.
int PassFailed(SolverOutput& out, int result) {
  if (result == kPressureEmptyRow) {
    PrintConsole(out, "\nError: Severe error in matrix.\n");
  } else if (result == kPressureFailed) {
    Print(out, "\nError: the pressure solution failed.\n");
  } else {
    PrintConsole(out, "Error: out of memory.\n");
  }
  FlushSolverOutput(out);
  return kExitInputError;
}

// Allocates the state for the mesh, counting its bytes; "out of memory"
// and false when it does not fit.
bool AllocateState(SolverOutput& out, const RunState& rs, SolverState& s, MemoryAccount& account) {
  Print(out, "\nAllocating memory...\n");
  if (!AllocateSolverState(s, account, static_cast<int>(rs.mesh.nodes.size()),
                           static_cast<int>(rs.mesh.elements.size()), rs.parameters.layers)) {
    PrintConsole(out, "Error: out of memory.\n");
    FlushSolverOutput(out);
    return false;
  }
  Print(out, "Memory allocated: %.2f Mbytes\n", account.bytes * 9.5367431640625e-7);
  return true;
}

// Volumes (cm^3) and shot size (g).
void PrintVolumes(SolverOutput& out, const CategoryVolumes& volumes, const PolymerData& material) {
  const double cm3 = 1000.0 * 1000.0;
  const char* volume_format = "\nHot runner volume:  %10.2f cm^3\nCold runner volume: %10.2f cm^3\nPart volume:        %10.2f cm^3\n";
  PrintConsole(out, volume_format, volumes.hot_runner * cm3, volumes.cold_runner * cm3, volumes.part * cm3);
  PrintLog(out, volume_format, volumes.hot_runner * cm3, volumes.cold_runner * cm3, volumes.part * cm3);
  const char* shot_format = "\nShot size:          %10.2f g\nInjection volume:   %10.2f cm^3\n";
  const double shot = material.melt_density * volumes.injection * 1000.0;
  PrintConsole(out, shot_format, shot, volumes.injection * cm3);
  PrintLog(out, shot_format, shot, volumes.injection * cm3);
}

FillingJob MakeFillingJob(RunState& rs, const PolymerData& material, const std::vector<GateElements>& gates,
                          const CategoryVolumes& volumes) {
  FillingJob job;
  job.mesh = &rs.mesh;
  job.prep = &rs.prep;
  job.material = &material;
  job.injection = &rs.injections.front();
  job.valves = &gates;
  job.hot_runner_volume = volumes.hot_runner;
  job.injection_volume = volumes.injection;
  job.passes = rs.passes;
  return job;
}

// Mold-wall temperatures from the cooling result, else the mold temperature.
void SetInitialWallTemperatures(SolverOutput& out, SolverState& s, const RunState& rs, const PolymerData& material) {
  std::vector<float> cooling(s.element_count, material.mold_temperature);
  std::string message;
  if (ReadCoolingInputFile(JobFileName(rs.job, "c2D"), cooling, message) == kCoolingDamaged) {
    Print(out, "\nWarning: %s\n", message.c_str());
  }
  SetWallTemperatures(s, rs.mesh, rs.prep, material, cooling);
}

// Two start-up passes: pressure and temperatures settle, the front stays.
// Then the hot runner counts as filled from time 0. Returns kPassDone or the
// failure of a pass.
int RunStartup(SolverState& s, const FillingJob& job) {
  for (int pass = 0; pass < 2; ++pass) {
    const int r = StartupPass(s, job);
    if (r != kPassDone) return r;
  }
  for (int i = 0; i < s.node_count; ++i) {
    if (s.hot_runner[i]) s.fill_time[i] = 0;
  }
  s.filled_volume = static_cast<float>(FilledVolume(s));
  s.filled_percentage = FilledPercentage(s, job);
  return kPassDone;
}

// Heading of the status table and its first row, without clamp force.
void PrintStatusHeader(SolverOutput& out, SolverState& s) {
  Print(out, "\nFilling cavity...\n");
  Print(out, "\nStatus:\nV = Velocity control\nP = Pressure control\n\n");
  PrintRule(out);
  Print(out, "| Time  | Volume | Pressure | Clamp | Flow rate | RAM | Status |\n");
  Print(out, "|  (s)  |  (%%)   |  (MPa)   | (Ton) |  (cm^3/s) | (%%) |        |\n");
  PrintRule(out);
  const float clamp = s.clamp_force;
  s.clamp_force = 0;
  PrintStatusRow(out, s);
  s.clamp_force = clamp;
  FlushSolverOutput(out);
}

// Switch-over to pressure control, due by filled volume, at the pressure
// limit, or with the melt pressed against a closed path.
bool SwitchOverDue(const SolverState& s, const SolverInjection& unit, double limit) {
  return s.control_mode == kVelocityControl &&
         (s.filled_percentage >= unit.switch_volume || s.pressure[s.inlet] > limit || s.inlet_closed_off);
}

// Pressures scaled under the limit, the inlet pressure held from now on
// (raised by the packing pressure factor where it allows), 'P' in the table.
void SwitchToPressureControl(SolverOutput& out, SolverState& s, const FillingJob& job, double limit, std::FILE* f) {
  const SolverInjection& unit = *job.injection;
  float& inlet_pressure = s.pressure[s.inlet];
  s.control_mode = kPressureControl;
  const double scale = inlet_pressure != 0 ? 0.99 * limit / inlet_pressure : 1.0;
  if (scale < 1) {
    for (float& p : s.pressure) p = static_cast<float>(p * scale);
  }
  // The pass that found the melt pressed against a closed path did not get
  // to its clamp force: the held melt presses on the mold too.
  if (s.inlet_closed_off) ComputeClampForce(s, job);
  PrintRow(out, s, "   V/P  ");
  if (inlet_pressure <= limit * unit.packing_pressure) inlet_pressure *= unit.packing_pressure;
  s.inlet_pressure_hold = inlet_pressure;
  s.status = 'P';
  PrintStatusRow(out, s);
  WriteScalarBlocks(f, s);
}

// Short shot: no flow, and nothing that could start it again: the front did
// not just reach new nodes, and neither a valve gate nor the injection unit's
// valve timer opens in this pass (the front passes a gate in the next) or
// later before the time limit. While the timer is closed for good, no melt
// enters: waiting would only step to the limit.
bool IsShortShot(const SolverState& s, const FillingJob& job, double pass_start, int64_t grown_before) {
  const double opens = NextFlowOpening(job, pass_start);
  return s.flow_rate[s.inlet] <= kShortShotFlow && s.grown_nodes == grown_before &&
         !(opens >= 0 && opens < kTimeLimit);
}

// The last row, the rule under the table, the end message and the final
// result set.
void EndWithShortShot(SolverOutput& out, const SolverState& s, const RunState& rs, const FillingJob& job,
                      const PolymerData& material, std::FILE* f) {
  PrintStatusRow(out, s);
  PrintRule(out);
  Print(out, "\nWarning: Short shot!\n");
  PrintShortShotCause(out, s, job);
  FlushSolverOutput(out);
  WriteFinalSet(f, s, rs, material);
}

void EndFilled(SolverOutput& out, SolverState& s, const RunState& rs, const PolymerData& material, std::FILE* f) {
  PrintStatusRow(out, s);
  PrintRule(out);
  Print(out, "\nCavity is completely filled.\n");
  FlushSolverOutput(out);
  CompleteFill(s, s.time);
  WriteFinalSet(f, s, rs, material);
}

// The filling loop: passes until the cavity is filled, a short shot, the
// time limit, or a pass that can no longer move the time. Returns kPassDone
// or the failure of a pass.
int RunFillingLoop(SolverOutput& out, SolverState& s, RunState& rs, const FillingJob& job,
                   const PolymerData& material, std::FILE* f) {
  double next_row = kRowInterval, next_result = kResultInterval;
  const double limit = InjectionPressureLimit(*job.injection);
  int stalled = 0;
  while (s.time < kTimeLimit) {
    const double before = s.time;
    const int64_t grown_before = s.grown_nodes;
    const int r = FillingPass(s, job, s.filled_percentage / 100.0f);
    if (r != kPassDone) return r;
    if (rs.history) {
      rs.history->time.push_back(before);
      rs.history->inlet_pressure.push_back(s.pressure[s.inlet]);
    }
    s.filled_percentage = FilledPercentage(s, job);
    if (SwitchOverDue(s, *job.injection, limit)) SwitchToPressureControl(out, s, job, limit, f);
    if (IsShortShot(s, job, before, grown_before)) {
      EndWithShortShot(out, s, rs, job, material, f);
      break;
    }
    if (s.filled_percentage >= kFilledPercentage) {
      EndFilled(out, s, rs, material, f);
      break;
    }
    if (next_row <= s.time) {
      PrintStatusRow(out, s);
      FlushSolverOutput(out);
      next_row = s.time + kRowInterval;
    }
    if (next_result <= s.time) {
      WritePeriodicSet(f, s, rs, material);
      next_result = s.time + kResultInterval;
    }
    // A pass that cannot move the time (held above the limit in pressure
    // mode with the valve closed) would loop for ever: end as at the limit.
    stalled = s.time > before ? 0 : stalled + 1;
    if (stalled > 1000) break;
  }
  return kPassDone;
}

// Restart file: the state at the end of filling, written aside and put in
// place only when complete. False, with the error printed, when it could not
// be written.
bool WriteRestart(SolverOutput& out, const RunState& rs, const SolverState& s) {
  AsideFile restart;
  bool written = OpenAside(restart, JobFileName(rs.job, "ini"), "wb") == 1;
  if (written) {
    RestartState r;
    r.time = static_cast<float>(s.time);
    r.filled_percentage = s.filled_percentage;
    r.clamp_force = s.clamp_force;
    r.ram_speed = s.relative_ram_speed;
    r.fill_time = s.fill_time;
    r.fill_state = s.fill_state;
    r.pressure = s.pressure;
    r.flow_rate = s.flow_rate;
    r.wall_heat = s.wall_heat;
    r.layer_count = s.layers;
    r.element_temperature = s.temperature.cells;
    r.element_stride = s.layers + 2;
    r.node_temperature = s.node_temperature.cells;
    r.node_stride = s.layers + 2;
    written = WriteRestartFile(restart.file, r) == 1 && CommitAside(restart) == 1;
  }
  if (!written) Print(out, "\nError: the restart file could not be written!\n%s\n", restart.target.c_str());
  return written;
}

}  // namespace

bool PrepareSolverMesh(SolverOutput& out, RunState& state) {
  MeshModel& mesh = state.mesh;
  const std::string fault = CheckSolverMesh(mesh);
  if (!fault.empty()) {
    Print(out, "\nError: %s\n", fault.c_str());
    FlushSolverOutput(out);
    return false;
  }
  // Faces, counts, geometry, connectors, geometry again with the connectors.
  BuildFaceRecords(mesh);
  if (PairFacesWithSameNodes(mesh) != 1) {
    Print(out, "\nError: Octree failure\n");
    FlushSolverOutput(out);
    return false;
  }
  for (const std::string& line : MeshCountLines(mesh)) Print(out, "%s\n", line.c_str());
  ComputeElementGeometry(mesh, state.process.parting_normal, state.prep);
  if (AddDualSurfaceConnectors(mesh) > 0) ComputeElementGeometry(mesh, state.process.parting_normal, state.prep);
  for (const std::string& line : MeshTotalLines(state.prep)) Print(out, "%s\n", line.c_str());
  return true;
}

void KeepFreedMemoryForReuse() {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

int RunFilling(SolverOutput& out, RunState& rs) {
  const PolymerData material = MaterialOf(rs);
  const CategoryVolumes volumes = SumCategoryVolumes(rs.mesh);
  if (!CheckJob(out, rs, volumes)) return kExitInputError;
  MemoryAccount account;
  SolverState s;
  if (!AllocateState(out, rs, s, account)) return kExitInputError;
  PrintVolumes(out, volumes, material);

  // Initial state.
  const std::vector<GateElements> gates = GateElementsOf(rs.mesh, rs.valve_gates);
  const FillingJob job = MakeFillingJob(rs, material, gates, volumes);
  s.inlet = rs.inlet_node;
  InitializeFilling(s, job);
  const std::clock_t start = std::clock();
  SetInitialWallTemperatures(out, s, rs, material);

  // Result and restart files are written aside and replace the previous
  // ones only when complete, so a failed write keeps the last good results.
  AsideFile results;
  if (!OpenAside(results, JobFileName(rs.job, "f2D"), "w")) {
    Print(out, "\nError: cannot create the result file!\n%s\n", JobFileName(rs.job, "f2D").c_str());
    return kExitInputError;
  }
  std::FILE* f = results.file;
  WriteResultFileBegin(f);
  WritePressureTraceBlock(f, 0, 0);
  WriteClampForceBlock(f, 0, 0, 0);

  // Start-up, the status table and the filling loop.
  const int started = RunStartup(s, job);
  if (started != kPassDone) return PassFailed(out, started);
  PrintStatusHeader(out, s);
  const int filled = RunFillingLoop(out, s, rs, job, material, f);
  if (filled != kPassDone) return PassFailed(out, filled);
  WriteResultFileEnd(f);
  bool written = CommitAside(results) == 1;
  if (!written)
    Print(out, "\nError: the result file could not be written completely!\n%s\n", results.target.c_str());
  if (!WriteRestart(out, rs, s)) written = false;

  Print(out, "\nElapsed time: %f seconds.\n",
        static_cast<double>(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC / 1000.0);
  if (rs.profile) *rs.profile = s.profile;
  if (rs.history) {
    rs.history->fill_time = s.fill_time;
    rs.history->pressure = s.pressure;
  }
  ReleaseSolverState(s, account);
  if (account.bytes != 0) Print(out, "\nWarning: Residual memory: %lld\n", static_cast<long long>(account.bytes));
  return written ? kExitRun : kExitInputError;
}

}  // namespace kv

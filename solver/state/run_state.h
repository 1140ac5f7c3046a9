#pragma once
// What the solver holds for one run: the job's name and everything the input
// readers produced (parameters, process conditions, mesh, inlets, injection
// units, material, valve gates). The run driver adds its own arrays.

#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "solver/state/pass_rule_settings.h"
#include "solver/state/prepared_mesh.h"
#include "solver/state/solver_state.h"

namespace kv {

// One injection unit as the solver reads it from the injection-control file.
// Units are SI: the file carries kelvin and metres; the speed profile is read
// as percentages and stored as fractions (divided by 100).
struct SolverInjection {
  float melt_temperature = 0;                  // K
  float stroke = 0;                            // m, injection stroke
  float screw_diameter = 0;                    // m
  float profile[kProfilePoints][2] = {};       // (stroke fraction, speed fraction), 0..1
  float valve_timer[kProfilePoints][2] = {};   // (open time s, close time s) per gate
  float max_rate = 0;                          // m^3/s
  float max_stroke = 0;                        // m
  float max_pressure = 0;                      // Pa, hydraulic
  float pressure_ratio = 0;                    // resin/hydraulic
  float switch_volume = 0;                     // % filled
  float switch_position = 0;                   // mm
  float switch_pressure = 0;                   // MPa
  float packing_pressure = 0;                  // packing pressure relative to filling
  float ram_speed = 0;                         // computed during the run
  float ram_displacement = 0;                  // computed during the run
  float spare = 0;
};

// One valve gate of the valve-gate file.
struct ValveGate {
  std::vector<int> nodes;                      // 0-based node indices
  float timer[kProfilePoints][2] = {};         // (open time s, close time s) pairs
};

// What a filling run went through, for comparing runs: the inlet pressure
// of every pass at the time its pressure was solved, and at the end the fill
// time and pressure of every node.
struct FillHistory {
  std::vector<double> time;            // s, start of each pass
  std::vector<double> inlet_pressure;  // Pa, solved at that time
  std::vector<float> fill_time;        // s per node at the end (0 where never reached)
  std::vector<float> pressure;         // Pa per node at the end
};

struct RunState {
  std::string job;                             // job name as given on the command line
  SolverParameters parameters;
  ProcessConditions process;
  MeshModel mesh;
  MeshPreparation prep;                        // geometry derived from the mesh
  std::vector<int> potential_inlets;           // 0-based node indices
  std::vector<int> inlet_nodes;                // 0-based node indices, file order
  int inlet_node = -1;                         // 0-based injection node, set by the inlet check
  std::vector<SolverInjection> injections;     // the run uses the first
  JobMaterial material;
  std::vector<ValveGate> valve_gates;
  PassRule passes;                             // how far one filling pass carries the front
  FillingProfile* profile = nullptr;           // when set, receives the run's timings
  FillHistory* history = nullptr;              // when set, receives the run's history
};

}  // namespace kv

#pragma once
// The solver's readers of the job's analysis files. Each reads its file,
// keeps what the run needs, and prints its summary to the console and the log
// (an empty line, the table, "Done.").
//
// Return values, shared by all readers:
//   kInputRead (1)        the file was read; the destination holds its values
//   kInputCannotOpen (-1) the file cannot be opened; nothing printed
//   kInputDamaged (0)     the file is damaged; `error` says where and why,
//                         nothing printed, the destination is unchanged
//   kInputNoInlet (2)     (boundary reader) no inlet node: the reader has
//                         printed "Error: Inlet was not specified."

#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "solver/output/solver_output.h"
#include "solver/state/run_state.h"

namespace kv {

enum InputRead : int {
  kInputCannotOpen = -1,
  kInputDamaged = 0,
  kInputRead = 1,
  kInputNoInlet = 2,
};

// Largest number of layers across the half-gap a run accepts.
inline constexpr int kMaxLayers = 100;

// PRMT: layers (1 to kMaxLayers), design outputs, convergence criterion, maximum
// iterations, inertia flag. Starts from the default parameters, so codes the
// file lacks keep their defaults.
int ReadParameterFile(SolverOutput& out, const std::string& path, SolverParameters& parameters,
                      std::string& error);

// PROC: all nine process conditions (K, s, m/s^2).
int ReadProcessFile(SolverOutput& out, const std::string& path, ProcessConditions& process,
                    std::string& error);

// BOUND: potential inlets (code 5) and inlets (code 10) as 0-based node
// indices (number - 1); inlet and outlet faces are passed over.
int ReadBoundaryFile(SolverOutput& out, const std::string& path, std::vector<int>& inlets,
                     std::vector<int>& potential_inlets, std::string& error);

// INJE: one record per injection (code 52000 gives their number, at least 1);
// speed-profile pairs stored divided by 100.
int ReadInjectionFile(SolverOutput& out, const std::string& path,
                      std::vector<SolverInjection>& injections, std::string& error);

// MTRL: polymer, coolant, air and mold properties.
int ReadMaterialFile(SolverOutput& out, const std::string& path, JobMaterial& material,
                     std::string& error);

// VALV: valve gates (code 80000) with 0-based node indices, each checked
// against `node_count` nodes. Prints "Reading valve gates..." once the file
// is open.
int ReadValveFile(SolverOutput& out, const std::string& path, int node_count,
                  std::vector<ValveGate>& gates, std::string& error);

}  // namespace kv

#pragma once
// Checks of the physical inputs of a job after every file has been read: the
// values the models divide by, raise to powers or take as absolute
// temperatures must lie where the models can use them. A value outside gives
// a message naming the file, the record and the value instead of a run that
// ends in NaN pressures.

#include <string>

#include "solver/state/run_state.h"

namespace kv {

// Checks, in file order (process conditions, mesh, injection control,
// material), the values the run uses:
//   prc: mold and ejection temperatures above 0 K;
//   m2D: thickness of part surfaces and diameter of cold, hot and part
//        runners above 0 m (no larger than 1 m);
//   inj (first unit): melt temperature above 0 K, stroke, screw diameter,
//        maximum injection rate, maximum hydraulic pressure and pressure
//        ratio above 0, speed profile fractions and switch-over volume not
//        negative;
//   mtl: melt density, specific heat, conductivity, mold density, mold
//        specific heat and mold conductivity above 0; no-flow temperature
//        above 0 K; Cross-WLF n in [0, 1], Tau*, D1 and A2~ above 0, D2 above
//        0 K, A1 and D3 not negative.
// Files are named from `state.job` (job + ".prc" and so on). Returns 1, or 0
// with `error` set to "<file>: record <code> (<what>): <value> ..." for the
// first value outside.
int CheckJobInputs(const RunState& state, std::string& error);

}  // namespace kv

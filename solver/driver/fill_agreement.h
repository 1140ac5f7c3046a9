#pragma once
// Agreement of two filling runs of the same job, one of them a reference
// (e.g. the same job with much shorter passes): how far the inlet pressure
// history, the nodes' fill times and the final pressure field of the other
// run lie from it.

#include "solver/state/run_state.h"

namespace kv {

struct FillAgreement {
  double inlet_max = 0;       // largest inlet-pressure difference over the fill / reference peak
  double inlet_mean = 0;      // mean of that difference over the fill / reference peak
  double fill_time_max = 0;   // largest fill-time difference at a node / reference fill time
  double fill_time_mean = 0;  // mean over the nodes both runs reached / reference fill time
  double pressure_max = 0;    // largest final nodal pressure difference / reference peak
  int unmatched = 0;          // nodes one run reached and the other did not
};

// Compares `trial` with `reference`. The inlet histories are compared at 400
// evenly spaced times over the reference's fill, each run's pressure taken
// linearly between its passes (the first or last value outside them); the
// fill end is the reference's latest fill time. Histories without passes or
// without nodes of the same count give an agreement of all zeros with
// unmatched = -1.
FillAgreement CompareFills(const FillHistory& reference, const FillHistory& trial);

}  // namespace kv

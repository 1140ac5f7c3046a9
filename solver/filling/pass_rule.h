#pragma once
// The pass rules of the filling loop: how long a pass may run and how many
// sub-steps it may take under the rule chosen in PassRule
// (solver/state/pass_rule_settings.h, which describes the two rules).

#include <string>

#include "solver/state/pass_rule_settings.h"

namespace kv {

// What a pass needs to know about the fill when it starts.
struct PassStart {
  double filled_volume = 0;      // m^3 of melt in the mold (hot runner included)
  double injection_volume = 0;   // m^3 of the whole injection
  double volume_left = 0;        // m^3 still to inject before the switch-over or the end, whichever is first
  double inflow = 0;             // m^3/s entering the front from the pass's pressure solve
  float filled_fraction = 0;     // filled percentage / 100 of the previous pass
};

// Longest filling time (s) the pass may cover under the time and volume
// limits of `rule` (also applied to cubic passes when rule.shorten > 1);
// infinity when no limit applies (the cubic rule, or no inflow: then the
// front advance's own 10 ms bound holds).
double PassTimeLimit(const PassRule& rule, const PassStart& start);

// Number of extra sub-steps the cubic rule allows after a first sub-step of
// dt (s): min(N1, N2), at least 1, N1 divided by rule.shorten.
int CubicExtraSubSteps(const PassRule& rule, float filled_fraction, float dt);

// Parses a pass rule name, "volume" or "cubic". Returns false (rule unchanged)
// for anything else.
bool ParsePassRule(const std::string& name, PassRule& rule);

}  // namespace kv

#include "solver/filling/pass_rule.h"

#include <algorithm>
#include <limits>

namespace kv {

double PassTimeLimit(const PassRule& rule, const PassStart& start) {
  const double shorten = std::max(rule.shorten, 1);
  double limit = std::numeric_limits<double>::infinity();
  // Without inflow nothing moves that the pass would have to follow (a
  // closed valve timer being waited for): the melt only cools, and the
  // thermal update divides its step where it needs to.
  if (!(start.inflow > 0)) return limit;
  if (rule.kind != kPassRuleVolume && rule.shorten <= 1) return limit;
  limit = rule.time / shorten;
  // The volume a pass may add, turned into filling time at the pass's inflow.
  // Nothing left (the switch-over or the end is due after this pass) sets
  // no approach limit.
  const double filled = std::max(start.filled_volume, rule.least * std::max(start.injection_volume, 0.0));
  limit = std::min(limit, rule.growth / shorten * filled / start.inflow);
  if (start.volume_left > 0) limit = std::min(limit, rule.approach / shorten * start.volume_left / start.inflow);
  return limit;
}

int CubicExtraSubSteps(const PassRule& rule, float filled_fraction, float dt) {
  const double f = filled_fraction;
  int n1 = static_cast<int>(10.83916084 + 79.91452991 * f + 104.8951049 * f * f - 194.2501943 * f * f * f);
  n1 /= std::max(rule.shorten, 1);
  const int n2 = -1 - static_cast<int>(-0.001 / dt);
  return std::max(std::min(n1, n2), 1);
}

bool ParsePassRule(const std::string& name, PassRule& rule) {
  if (name == "volume") {
    rule.kind = kPassRuleVolume;
  } else if (name == "cubic") {
    rule.kind = kPassRuleCubic;
  } else {
    return false;
  }
  return true;
}

}  // namespace kv

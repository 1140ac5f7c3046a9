#pragma once
// How far one pass of the filling loop carries the melt front on one pressure
// field: the sub-steps that follow a pass's first sub-step reuse its pressure
// solve, so a pass must end before the field it was solved for has changed
// much.
//
// Two rules:
// - the volume rule (default): a pass covers at most `time` seconds of
//   filling, adds at most `growth` times the volume already filled (counted
//   as at least `least` times the injection volume, so that the first passes
//   do not shrink with the gate node's control volume as the mesh is
//   refined), and at
//   most `approach` times the volume that remains to the switch-over and to
//   the end of filling. Its pass count does not grow with the node count:
//   ~1 ms passes in the developed flow, short passes where the field changes
//   fast relative to the melt present (the first tenths of a second) and
//   where the fill nears its end or the switch-over.
// - the cubic rule: the count of extra sub-steps grows with the filled
//   fraction f as N1 = 10.839 + 79.915 f + 104.895 f^2 - 194.250 f^3 and is
//   capped by about 1 ms of filling (N2). Each sub-step fills about one
//   control volume, so on large meshes N1 ends most passes and the pass count
//   grows with the node count. Kept for comparison.
//
// `shorten` divides every limit of the rule in use (times, volumes and the
// N1 count), and with it applies the volume rule's limits to cubic passes
// too: a run with shorten = 10 is the time-converged reference the rules are
// measured against.

namespace kv {

inline constexpr int kPassRuleVolume = 0;
inline constexpr int kPassRuleCubic = 1;

struct PassRule {
  int kind = kPassRuleVolume;
  double time = 1e-3;        // s of filling one pass may cover
  double growth = 0.01;      // share of the filled volume one pass may add
  double approach = 0.05;    // share of the volume left to switch-over or full one pass may add
  double least = 0.01;       // share of the injection volume the growth limit counts at least as filled
  int shorten = 1;           // every limit divided by this (1 for production runs)
};

}  // namespace kv

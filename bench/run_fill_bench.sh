#!/usr/bin/env bash
# Runs the filling benchmark on generated centre-gated plate jobs of about 20k,
# 100k and 1M nodes and prints, per job, the wall and CPU time, the peak
# memory, the number of filling passes and the time per pass, the share of the
# wall time in assembly, pressure solve, thermal update and front advance, and
# the mean number of CG iterations per pressure solve.
# The 20k plate runs with both pass rules (volume, the default, and cubic) and
# with a reference whose passes are ten times shorter than either allows; two
# lines then give each rule's agreement with the reference: inlet pressure
# history, fill times at the nodes, final pressure field.
# With --compare the 20k plate also runs with the multigrid as the pressure
# solve's preconditioner (KAVITRON_PRECONDITIONER=multigrid) and the ratio of
# the two wall times is printed. The last line relates the 100k plate to the
# 20k plate of the same run (nodes x 5), both with the volume rule.
# The 1M plate takes long: leave it out with --no-1m; --no-reference leaves
# out the rule comparison (the 20k plate then runs once).
#   bench/run_fill_bench.sh [--compare] [--no-1m] [--no-reference] [BUILD_DIR]     (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
compare=0
reference=1
sizes=(20000 100000 1000000)
build=$root/build
for arg in "$@"; do
  case "$arg" in
    --compare) compare=1 ;;
    --no-1m) sizes=(20000 100000) ;;
    --no-reference) reference=0 ;;
    *) build=$arg ;;
  esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wall_of() { sed -n 's/.* wall *\([0-9.]*\) s.*/\1/p' <<<"$1" | head -n 1; }
declare -A wall
for nodes in "${sizes[@]}"; do
  if [ "$nodes" = 20000 ] && [ "$reference" = 1 ]; then
    lines=$("$build/bin/bench_fill" --compare-rules "$nodes" centre "$work")
  else
    lines=$("$build/bin/bench_fill" "$nodes" centre "$work")
  fi
  echo "$lines"
  wall[$nodes]=$(wall_of "$lines")
done
if [ "$compare" = 1 ]; then
  line=$(KAVITRON_PRECONDITIONER=multigrid "$build/bin/bench_fill" 20000 centre "$work")
  echo "$line"
  awk -v a="${wall[20000]}" -v b="$(wall_of "$line")" \
    'BEGIN { if (a > 0) printf "20k plate, wall time with the multigrid / with DILU: %.2f\n", b / a }'
fi
awk -v a="${wall[20000]}" -v b="${wall[100000]}" \
  'BEGIN { if (a > 0) printf "100k plate / 20k plate wall time: %.1f (nodes x 5)\n", b / a }'

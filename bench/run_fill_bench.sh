#!/usr/bin/env bash
# Runs the filling benchmark on generated plate jobs of about 5k, 20k and 100k
# nodes (centre gate, and the 20k plate also edge-gated) and prints, per job,
# the wall time, the number of filling passes and the time per pass, the share
# of the wall time in assembly, pressure solve, thermal update and front
# advance, and the mean number of CG iterations per pressure solve. The last
# line relates the 100k plate to the 5k plate of the same run: a pass
# re-solves the whole filled region and a sub-step fills about one control
# volume, so the passes grow with the node count and the wall time with its
# square.
#   bench/run_fill_bench.sh [BUILD_DIR]     (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A wall
for job in "5000 centre" "20000 centre" "20000 edge" "100000 centre"; do
  # shellcheck disable=SC2086
  line=$("$build/bin/bench_fill" $job "$work")
  echo "$line"
  wall[${job// /-}]=$(sed -n 's/.* wall *\([0-9.]*\) s.*/\1/p' <<<"$line")
done
awk -v a="${wall[5000-centre]}" -v b="${wall[100000-centre]}" \
  'BEGIN { if (a > 0) printf "100k plate / 5k plate wall time: %.1f (nodes x %.0f)\n", b / a, 100000 / 5000 }'

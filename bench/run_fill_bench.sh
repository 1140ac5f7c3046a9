#!/usr/bin/env bash
# Runs the filling benchmark on generated plate jobs of about 5k, 20k and 100k
# nodes (centre gate, and the 20k plate also edge-gated) and prints, per job,
# the wall time, the number of filling passes and the share of the wall time
# in assembly, pressure solve, thermal update and front advance.
#   bench/run_fill_bench.sh [BUILD_DIR]     (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for job in "5000 centre" "20000 centre" "20000 edge" "100000 centre"; do
  # shellcheck disable=SC2086
  "$build/bin/bench_fill" $job "$work"
done

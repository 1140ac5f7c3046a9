#!/usr/bin/env bash
# Installs what is missing, builds, and runs the solver on the bundled example
# job (a small plate with a cold runner). The job's results are written next to
# its input files in a scratch copy under build/example-run/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/build.sh
run_dir=build/example-run
rm -rf "$run_dir"
mkdir -p "$run_dir"
cp examples/plate/plate.* "$run_dir"/
status=0
./build/bin/fluxar "$run_dir/plate" || status=$?
echo
echo "fluxar exit status: $status; job files and log in $run_dir/"
echo "results: $run_dir/plate.f2D, log: $run_dir/plate.f2D.log, restart: $run_dir/plate.ini"
# fluxar ends a finished run with status 1 and a failed one with 255; the
# example must fill completely.
[ "$status" -eq 1 ] && grep -q "Cavity is completely filled." "$run_dir/plate.f2D.log"

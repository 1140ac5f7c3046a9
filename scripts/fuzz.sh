#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, AddressSanitizer and UBSan, in
# build-fuzz/) and runs every harness for SECONDS each (default 60), starting
# from its kept corpus in fuzz/corpus/<harness>. Prints per harness the
# executions, the coverage (edges and features) and the findings; ends with
# status 1 when any harness found something. Findings and the inputs the run
# discovered stay in build-fuzz/fuzz-run/<harness>/.
# KV_FUZZ_JOBS=N runs N harnesses at a time (default 1); the table keeps the
# harnesses' order.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
jobs=${KV_FUZZ_JOBS:-1}
case "$jobs" in ''|*[!0-9]*|0) echo "KV_FUZZ_JOBS must be a positive whole number" >&2; exit 2 ;; esac

# KV_FUZZ_SKIP_BUILD=1 runs the programs already in build-fuzz as they are.
if [ "${KV_FUZZ_SKIP_BUILD:-0}" != 1 ]; then
  bash scripts/setup.sh
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKV_FUZZ=ON -DKV_BUILD_GUI=OFF \
    -DKV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build-fuzz -j "$(nproc)" --target fuzz_all >/dev/null
fi

run_dir=build-fuzz/fuzz-run
rm -rf "$run_dir"
mkdir -p "$run_dir"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Runs one harness and leaves its table row in $dir/row and its finding
# count in $dir/findings.
run_harness() {
  local name=$1 corpus=$2 dir=$run_dir/$1
  mkdir -p "$dir/new"
  if [ ! -x "build-fuzz/fuzz/fuzz_$name" ]; then
    printf '%-14s %10s\n' "$name" "not built" >"$dir/row"
    echo 1 >"$dir/findings"
    return
  fi
  # Inputs are handed to the readers as files: in memory where possible.
  local tmp status=0
  tmp=$(mktemp -d "${KV_FUZZ_TMP:-$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )}/kv_fuzz.XXXXXX")
  TMPDIR=$tmp "build-fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
    -timeout=20 -rss_limit_mb=2048 -artifact_prefix="$dir/" "$dir/new" "$corpus" >"$dir/log" 2>&1 || status=$?
  rm -rf "$tmp"
  local executions edges features findings
  executions=$(grep -oP 'stat::number_of_executed_units:\s*\K[0-9]+' "$dir/log" | tail -1 || true)
  edges=$(grep -oP '\bcov: \K[0-9]+' "$dir/log" | tail -1 || true)
  features=$(grep -oP '\bft: \K[0-9]+' "$dir/log" | tail -1 || true)
  findings=$(find "$dir" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
             -o -name 'oom-*' \) | wc -l)
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi  # stopped without an artifact
  {
    printf '%-14s %10s %8s %8s %9s\n' "$name" "${executions:-?}" "${edges:-?}" "${features:-?}" "$findings"
    if [ "$findings" -ne 0 ]; then
      echo "  see $dir/log"
      grep -m3 -E 'ERROR|runtime error|broken guarantee|refused' "$dir/log" | sed 's/^/  /' || true
    fi
  } >"$dir/row"
  echo "$findings" >"$dir/findings"
}

names=()
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_harness "$name" "$corpus" &
done
wait

printf '%-14s %10s %8s %8s %9s\n' harness executions edges features findings
total_findings=0
for name in "${names[@]}"; do
  cat "$run_dir/$name/row"
  total_findings=$((total_findings + $(cat "$run_dir/$name/findings")))
done
echo "fuzz: $(ls -d fuzz/corpus/*/ | wc -l) harnesses, $seconds s each, $total_findings findings"
[ "$total_findings" -eq 0 ]

#!/usr/bin/env bash
# Installs what is missing, then configures and builds KAVITRON.
#   scripts/build.sh                 -> build/ (programs in build/bin)
#   scripts/build.sh --sanitize      -> build-asan/ with AddressSanitizer and UBSan
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  extra=(-DKV_SANITIZE=ON -DKV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

bash scripts/setup.sh
cmake -S . -B "$build_dir" -G Ninja "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"

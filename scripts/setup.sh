#!/usr/bin/env bash
# Installs every Debian package that KAVITRON needs to build, test and benchmark.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # libraries the programs link
  libsuitesparse-dev libpng-dev zlib1g-dev libjpeg-dev
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-svg-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  # tests
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth pngcheck
  # fuzzing (scripts/fuzz.sh): clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # outside tools that check the files we write and the files we import
  gmsh admesh python3-ezdxf ffmpeg python3-meshio
  # benchmark reference
  libeigen3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

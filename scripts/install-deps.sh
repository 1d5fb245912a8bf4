#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the asset generator and
# the capture tools need. Safe to run again.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  clang-14 libclang-rt-14-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # script parsing
  libtinyxml-dev
  # graphics and windowing
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglew-dev freeglut3-dev libsdl1.2-dev
  # images
  libpng-dev libjpeg-dev zlib1g-dev
  # sound
  libsndfile1-dev libkissfft-dev
  # virtual display and input for the GL and end-to-end tests
  xvfb xauth xdotool
  # real LightWave files written by other tools, read by the reader tests and fuzz seeds
  assimp-testmodels
  # muxing captured shows into a video
  ffmpeg
)

missing() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# --if-missing: do nothing when every package is already installed (used by the Makefile).
if [ "${1:-}" = "--if-missing" ] && [ -z "$(missing)" ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${PACKAGES[@]}"

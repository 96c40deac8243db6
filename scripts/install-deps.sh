#!/usr/bin/env bash
# Installs the Debian packages that building, testing, fuzzing and benchmarking
# need. Idempotent: runs apt-get only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config python3
  clang libclang-rt-14-dev
  zlib1g-dev libdeflate-dev
  libjpeg-dev libgif-dev libpng-dev
  libsdl2-dev libsndfile1-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  freedoom
  # The X11 error box draws with core fonts, which a bare virtual display lacks.
  xvfb xauth xdotool x11-utils xfonts-base
  libgl-dev libgl1-mesa-dri libepoxy-dev libegl-dev
  libglu1-mesa-dev
  libfreetype-dev fonts-liberation2
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

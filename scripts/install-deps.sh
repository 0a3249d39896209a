#!/usr/bin/env bash
# Installs what building, running and testing ZIRF needs on Debian 12 or Ubuntu.
# Safe to run again: packages that are already there are left alone.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libpng-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool openbox x11-utils imagemagick pngcheck
  fonts-dejavu-core
  desktop-file-utils shared-mime-info dpkg-dev file
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"

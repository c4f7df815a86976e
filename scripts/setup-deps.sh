#!/usr/bin/env bash
# Installs every Debian 12 package the game, its tools and its tests need.
# Run as root (it uses apt-get); otherwise it prints the command to run.
set -euo pipefail

PACKAGES=(
  # build and tests
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev pkg-config
  # window, GL, sound, text, images, compressed meshes
  libsdl2-dev libepoxy-dev libglm-dev libsdl2-mixer-dev libsdl2-ttf-dev
  libfontconfig-dev fonts-liberation2 libstb-dev zlib1g-dev
  # headless rendering and end-to-end checks
  xvfb xdotool xauth libgl1-mesa-dri libegl-mesa0 libegl1
  # screenshots of the end-to-end run (xwd, netpbm) and the X fonts message boxes use
  x11-apps netpbm xfonts-base
  # the install and the Debian package: man pages, desktop entry, metainfo, dependencies, lint
  groff man-db desktop-file-utils appstream dpkg-dev lintian
)

if [ "$(id -u)" -ne 0 ]; then
  echo "Run this as root, or run:"
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${PACKAGES[*]}"
  exit 1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all packages present"
  exit 0
fi
echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"

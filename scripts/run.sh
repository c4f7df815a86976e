#!/usr/bin/env bash
# Builds the game and starts it from the build's game folder. Extra arguments
# go to the game.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then scripts/setup-deps.sh; elif command -v sudo >/dev/null; then sudo scripts/setup-deps.sh; else scripts/setup-deps.sh; fi

cmake --preset default
cmake --build --preset default -j "$(nproc)"
exec build/game/quarnix "$@"

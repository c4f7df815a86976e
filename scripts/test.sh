#!/usr/bin/env bash
# Builds everything and runs every test: the main build (unit, integration,
# render and e2e tests), the sanitizer build (unit and integration), and a short
# run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then scripts/setup-deps.sh; elif command -v sudo >/dev/null; then sudo scripts/setup-deps.sh; else scripts/setup-deps.sh; fi

jobs=$(nproc)
cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz

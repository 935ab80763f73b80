#!/usr/bin/env bash
# Configures and builds into ./build (or $VINTA_BUILD_DIR) with extra CMake arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${VINTA_BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j2

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DVINTA_TESTS=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300

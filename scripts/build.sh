#!/usr/bin/env bash
# Sets up what is missing and builds Quillory into $BUILD_DIR (default build/).
# The arguments name the purposes whose packages set-up adds (see setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh "$@"
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR"

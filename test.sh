#!/usr/bin/env bash
# Sets up what is missing, builds Quillory and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh test
cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)" "$@"

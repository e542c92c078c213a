#!/usr/bin/env bash
# Sets up what is missing, builds Quillory and opens the tutor.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
exec "${BUILD_DIR:-build}/app/quillory" "$@"

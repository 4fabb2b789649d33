#!/usr/bin/env bash
# Set-up, build, then run every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
build=${SENSAVO_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

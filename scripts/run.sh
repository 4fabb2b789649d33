#!/usr/bin/env bash
# Set-up, build, then start the program. With SENSAVO_SIM=<model> (KQ257,
# KQ285, ...) a simulated instrument is plugged in instead of real USB.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
build=${SENSAVO_BUILD_DIR:-build}
if [ -n "${SENSAVO_SIM:-}" ]; then
  export LD_PRELOAD="$PWD/$build/tests/libhidsim_preload.so${LD_PRELOAD:+:$LD_PRELOAD}"
fi
exec "$build/Sensavo"

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (under Xvfb when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
build=${VEXA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  ctest --test-dir "$build" --output-on-failure
else
  xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir "$build" --output-on-failure
fi

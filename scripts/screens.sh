#!/usr/bin/env bash
# Draws the processing tool windows (workflow window, parameter dialog per section, progress
# monitor in its three states) into docs/screens/, on a small generated demo project.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VEXA_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target vexa-screens vexa-demo-project -j 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/demo/vexa-demo-project" "$work/project" --tiles 2 --levels 2 --images 4 > /dev/null
mkdir -p docs/screens
xvfb-run -a -s "-screen 0 1920x1080x24" "$build/tests/tools/vexa-screens" docs/screens "$work/project"

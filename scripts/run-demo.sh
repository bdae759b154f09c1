#!/usr/bin/env bash
# Installs what is missing, builds the editor, generates the demo project and opens it.
# Without a display the editor runs under Xvfb: once the project has loaded and its tiles have paged
# in, a screenshot of the screen is saved as a PNG and the editor is ended.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
build=${VEXA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)" --target vexa-editor vexa-demo-project

out="$root/demo-output"
project="$out/project"
rm -rf "$project"
mkdir -p "$out"
"$build/demo/vexa-demo-project" "$project"

editor="$build/app/vexa-editor"
if [ -n "${DISPLAY:-}" ]; then
  exec "$editor" --project "$project/Project.vpr"
fi

log="$out/editor.log"
shot="$out/screenshot.png"
rm -f "$shot"
display_number=99
while [ -e "/tmp/.X11-unix/X$display_number" ] || [ -e "/tmp/.X$display_number-lock" ]; do
  display_number=$((display_number + 1))
done
Xvfb ":$display_number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$display_number" ] && break; sleep 0.1; done
export DISPLAY=":$display_number" QT_QPA_PLATFORM=xcb

"$editor" --project "$project/Project.vpr" >"$log" 2>&1 &
editor_pid=$!
cleanup() {
  kill "$editor_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# The editor logs "Project loaded" when its resources are in and "Scene idle" once the tile pager
# has nothing left to load.
for _ in $(seq 1 600); do
  grep -q "Scene idle" "$log" 2>/dev/null && break
  kill -0 "$editor_pid" 2>/dev/null || { echo "The editor ended early; its log:"; cat "$log"; exit 1; }
  sleep 0.2
done
grep -q "Scene idle" "$log" || { echo "The project did not finish loading within two minutes; log: $log"; exit 1; }

import -display "$DISPLAY" -window root "$shot"
echo "Screenshot of the editor with the demo project: $shot"

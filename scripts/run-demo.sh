#!/usr/bin/env bash
# The main job: installs what is missing, builds the editor, generates the demo project and runs
# the editor unattended on it, which renders one picture from every camera position into
# demo-output/renders and quits. A contact sheet puts a few photos beside their renders. With a
# display the project is then opened interactively.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
build=${VEXA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)" --target vexa-editor vexa-demo-project

out="$root/demo-output"
project="$out/project"
renders="$out/renders"
rm -rf "$project" "$renders"
mkdir -p "$out"
"$build/demo/vexa-demo-project" "$project"

editor="$build/app/vexa-editor"
log="$out/editor.log"
# Without a display the editor draws into a virtual X server.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" env QT_QPA_PLATFORM=xcb)
status=0
"${display[@]}" "$editor" --project "$project/Project.vpr" --render_directory "$renders" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "The unattended render failed (exit code $status); the editor's log:" >&2
  tail -n 30 "$log" >&2
  exit 1
fi
count=$(find "$renders" -maxdepth 1 -name '*.jpg' | wc -l)
echo "Renders from every camera position ($count pictures): $renders"

# Photo | render for the first cameras of the flight, nadir and oblique ones alternating.
sheet="$out/contact-sheet.png"
pairs=()
for photo in $(find "$project/Internal/Images/Color" -maxdepth 1 -name 'IMG_*.jpg' | sort | head -n 4); do
  name=$(basename "$photo")
  [ -f "$renders/$name" ] && pairs+=("$photo" "$renders/$name")
done
if [ ${#pairs[@]} -gt 0 ]; then
  montage "${pairs[@]}" -tile 2x -geometry 640x480+4+4 -background '#202020' "$sheet"
  echo "Contact sheet, photo | render: $sheet"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$editor" --project "$project/Project.vpr"
fi

#!/usr/bin/env bash
# Installs every Debian package the editor, its tests and its benchmark need.
# Idempotent and non-interactive: packages already present are skipped.
set -euo pipefail

packages=(
  build-essential cmake
  qtbase5-dev libqt5opengl5-dev
  libopenscenegraph-dev openscenegraph
  libboost-program-options-dev libboost-filesystem-dev libboost-nowide-dev libboost-dev
  libsqlite3-dev libgdal-dev gdal-bin
  xvfb xauth libgl1-mesa-dri x11-apps imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: installed ${missing[*]}"

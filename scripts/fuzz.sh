#!/usr/bin/env bash
# Usage: scripts/fuzz.sh N [vexa-fuzz options...]
# Builds the fuzz program if needed, then feeds N mutated inputs to every reader of the editor and
# prints per reader and in total: inputs=... crashes=... hangs=...
# Crashing and hanging inputs are kept in $VEXA_FUZZ_WORK/found (default build/fuzz-work/found).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "Usage: scripts/fuzz.sh N [--seed S] [--readers a,b] [--timeout SEC]" >&2
  exit 2
fi
inputs=$1
shift

build=${VEXA_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target vexa-fuzz -j 2
exec "$build/tests/fuzz/vexa-fuzz" --inputs "$inputs" --work "${VEXA_FUZZ_WORK:-$build/fuzz-work}" "$@"

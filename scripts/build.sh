#!/usr/bin/env bash
# Configures (once) and builds the project into ./build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_BUILD_DIR:-$top/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build" "$@"

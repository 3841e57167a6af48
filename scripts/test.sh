#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test, then builds the Qt-free
# tests with the address and undefined-behaviour sanitizers and runs them too.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
build=${QUAYLIGHT_BUILD_DIR:-$top/build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
"$top/scripts/sanitize-tests.sh"

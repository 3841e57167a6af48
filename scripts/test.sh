#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
"$top/scripts/check-layering.sh"
build=${QUAYLIGHT_BUILD_DIR:-$top/build}

# The tests get a temporary folder of their own; whatever they leave in it is a test that
# does not clean up after itself, and fails the run.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quaylight-test-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
status=0
TMPDIR=$scratch ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -LE e2e "$@" || status=$?
# The end-to-end scenarios after the rest, at most four at once: each runs a whole desktop
# (X server, buses, panel, window manager and the application), and eight of them beside the
# other tests on a busy machine left clicks waiting past their scenario's patience.
e2e_jobs=$(( $(nproc) < 4 ? $(nproc) : 4 ))
TMPDIR=$scratch ctest --test-dir "$build" --output-on-failure -j "$e2e_jobs" -L e2e "$@" || status=$?
# Every test again, the end-to-end scenarios included, against a build with the address and
# undefined-behaviour sanitizers.
TMPDIR=$scratch "$top/scripts/sanitize-tests.sh" || status=1
left=$(find "$scratch" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort)
if [ -n "$left" ]; then
  echo "error: the tests left these in their temporary folder:" >&2
  echo "$left" >&2
  status=1
fi
exit "$status"

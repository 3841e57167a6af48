#!/bin/sh
# The screen-top indicator's CPU over a stretch of seconds (default 30) while hidden, steady
# and working, on a private Xvfb screen of 1280x800 with a simulated 200x32 notch.
# Usage: bench/notch_indicator.sh [seconds]   (after ./scripts/build.sh)
set -eu
seconds="${1:-30}"
here="$(cd "$(dirname "$0")" && pwd)"
program="${BENCH_NOTCH_PROGRAM:-$here/../build/bench/bench-notch-indicator}"
work="$(mktemp -d /tmp/notch-bench-XXXXXX)"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
chmod 700 "$work"
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r display <"$work/display"
for mode in hidden steady working; do
    env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$work" DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
        QUAYLIGHT_SIMULATED_NOTCH=200x32 "$program" --mode "$mode" --seconds "$seconds" 2>/dev/null
done

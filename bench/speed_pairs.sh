#!/usr/bin/env bash
# The speed figures of the two command-line modes, each against the command that sets its
# floor on this machine, in pairs: the two commands alternate run by run and each figure
# is the median of the pairs' ratios (bench-pair-timer, bench-relay-round-trip).
#
#   ./scripts/build.sh && bench/speed_pairs.sh [--runs N]      (N pairs per case, default 200)
#
# Cases: `quaylight scan` against `ss -ltnp` with 200 listeners in 20 processes, with
# 2,000 listeners in 20 processes, and with 200 listeners among about 500 processes (the
# listener farm tops the machine up); the hook relay against /bin/true with the same
# standard input; minor page faults per run (wait4) and peak resident memory
# (/usr/bin/time -v) of each command. Beside each scan figure, the floor: bench-scan-floor,
# which makes only the reads any scan needs (one netlink dump, one readlink per
# descriptor, the owners' names), against `ss -ltnp` in the same way.
# Targets: scan <= 0.5 x ss at 200 listeners and <= 0.7 x at 2,000; relay <= 1.2 x
# /bin/true with at most 40 page faults; peak RSS <= 10 MB at 2,000 listeners.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_BUILD_DIR:-$top/build}
runs=200
while [ $# -gt 1 ]; do
  case $1 in
    --runs) runs=$2 ;;
    *) echo "usage: $0 [--runs N]" >&2; exit 2 ;;
  esac
  shift 2
done

quaylight=$build/quaylight
farm=$build/bench/bench-listener-farm
pairs=$build/bench/bench-pair-timer
relay=$build/bench/bench-relay-round-trip
floor=$build/bench/bench-scan-floor
for tool in ss /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "speed_pairs: $tool is missing (run scripts/setup.sh)." >&2; exit 1; }
done
for program in "$quaylight" "$farm" "$pairs" "$relay" "$floor"; do
  [ -x "$program" ] || { echo "speed_pairs: $program is missing (run scripts/build.sh)." >&2; exit 1; }
done

processes() { ls /proc | grep -c '^[0-9]'; }
peak_mb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null |
    awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); printf "%.1f", $2 / 1024 }'
}

farm_pid=
stop_farm() {
  if [ -n "$farm_pid" ]; then
    exec {FARM[1]}>&- 2>/dev/null || true
    wait "$farm_pid" 2>/dev/null || true
    farm_pid=
  fi
}
trap stop_farm EXIT

# The farm lives until its standard input closes: this script holds the other end.
start_farm() {
  coproc FARM { exec "$farm" --processes "$1" --listeners "$2"; }
  farm_pid=$FARM_PID
  local ready
  read -r ready <&"${FARM[0]}"
  [ "$ready" = "ready" ] || { echo "speed_pairs: the listener farm did not start." >&2; exit 1; }
}

scan_case() {
  local title=$1 farm_processes=$2 farm_listeners=$3
  start_farm "$farm_processes" "$farm_listeners"
  echo "== $title: $(processes) processes, $(ss -Hltn | wc -l) listening TCP sockets, load $(cut -d' ' -f1-3 /proc/loadavg)"
  "$pairs" --runs "$runs" -- "$quaylight" scan -- ss -ltnp
  echo "-- the floor:"
  "$pairs" --runs "$runs" -- "$floor" -- ss -ltnp
  echo "peak RSS MB: quaylight scan $(peak_mb "$quaylight" scan), quaylight scan --json $(peak_mb "$quaylight" scan --json), ss -ltnp $(peak_mb ss -ltnp)"
  stop_farm
}

echo "machine: $(nproc) cores"
scan_case "200 listeners in 20 processes" 20 200
scan_case "2,000 listeners in 20 processes" 20 2000
scan_case "200 listeners, about 500 processes" $((500 > $(processes) + 20 ? 500 - $(processes) : 20)) 200
echo "== hook relay against /bin/true, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$relay" --runs "$runs"

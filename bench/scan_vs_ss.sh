#!/usr/bin/env bash
# Times `quaylight scan` against `ss -ltnp` and `lsof` in one run on one machine, while
# bench-listener-farm holds 200 listeners in 20 processes on 127.0.0.1, and reports the
# ratios of the medians and the peak resident memory of each command.
#
#   ./scripts/build.sh && bench/scan_vs_ss.sh [--runs N]
# Targets: `quaylight scan` median at most 0.5 x that of `ss -ltnp`; peak RSS at most 10 MB.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_BUILD_DIR:-$top/build}
runs=200
[ "${1:-}" = "--runs" ] && runs=$2

quaylight=$build/quaylight
farm=$build/bench/bench-listener-farm
for tool in hyperfine ss lsof python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "scan_vs_ss: $tool is missing (run scripts/setup.sh)." >&2; exit 1; }
done
for program in "$quaylight" "$farm"; do
  [ -x "$program" ] || { echo "scan_vs_ss: $program is missing (run scripts/build.sh)." >&2; exit 1; }
done

work=$(mktemp -d)
# The farm lives until its standard input closes: this script holds the other end.
coproc FARM { exec "$farm" --processes 20 --listeners 200; }
farm_pid=$FARM_PID
cleanup() {
  exec {FARM[1]}>&- 2>/dev/null || true
  wait "$farm_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
read -r ready <&"${FARM[0]}"
[ "$ready" = "ready" ] || { echo "scan_vs_ss: the listener farm did not start." >&2; exit 1; }

echo "machine: $(nproc) cores, $(ls /proc | grep -c '^[0-9]') processes, $(ss -Hltn | wc -l) listening TCP sockets"
hyperfine -N --warmup 20 --runs "$runs" --ignore-failure --export-json "$work/times.json" \
  "$quaylight scan" "$quaylight scan --json" "ss -ltnp" "lsof -iTCP -sTCP:LISTEN -nP" >/dev/null

peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
{
  echo "quaylight scan|$(peak_kb "$quaylight" scan)"
  echo "quaylight scan --json|$(peak_kb "$quaylight" scan --json)"
  echo "ss -ltnp|$(peak_kb ss -ltnp)"
  echo "lsof -iTCP -sTCP:LISTEN -nP|$(peak_kb lsof -iTCP -sTCP:LISTEN -nP)"
} >"$work/rss.txt"

python3 - "$work/times.json" "$work/rss.txt" "$quaylight" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
rss = dict(line.rstrip("\n").split("|") for line in open(sys.argv[2]))
short = lambda command: command.replace(sys.argv[3], "quaylight")
median = {short(r["command"]): r["median"] * 1000 for r in results}
ss = median["ss -ltnp"]
print(f"{'command':32} {'median ms':>10} {'x ss -ltnp':>11} {'peak RSS MB':>12}")
for r in results:
    name = short(r["command"])
    kb = int(rss.get(name, "0") or 0)
    print(f"{name:32} {median[name]:10.2f} {median[name] / ss:11.2f} {kb / 1024:12.1f}")
scan = median["quaylight scan"]
scan_rss = int(rss["quaylight scan"]) / 1024
print()
print(f"quaylight scan / ss -ltnp = {scan / ss:.2f} (target <= 0.50): {'met' if scan / ss <= 0.5 else 'NOT met'}")
print(f"quaylight scan peak RSS = {scan_rss:.1f} MB (target <= 10 MB): {'met' if scan_rss <= 10 else 'NOT met'}")
PY

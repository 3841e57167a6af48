#!/usr/bin/env bash
# Times `quaylight scan` against `ss -ltnp` and `lsof` in one run on one machine, while
# bench-listener-farm holds 200 listeners in 20 processes on 127.0.0.1, and reports the
# ratios of the medians and the peak resident memory of each command. A busy machine skews
# whichever command runs during a burst, so the commands are timed in several short rounds
# and each ratio is the median of the rounds' ratios.
#
#   ./scripts/build.sh && bench/scan_vs_ss.sh [--rounds R] [--runs N]   (N runs per round)
# Targets: `quaylight scan` median at most 0.5 x that of `ss -ltnp`; peak RSS at most 10 MB.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_BUILD_DIR:-$top/build}
rounds=5
runs=60
while [ $# -gt 1 ]; do
  case $1 in
    --rounds) rounds=$2 ;;
    --runs) runs=$2 ;;
    *) echo "usage: $0 [--rounds R] [--runs N]" >&2; exit 2 ;;
  esac
  shift 2
done

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
for round in $(seq "$rounds"); do
  hyperfine -N --warmup 10 --runs "$runs" --ignore-failure --export-json "$work/times-$round.json" \
    "$quaylight scan" "$quaylight scan --json" "ss -ltnp" "lsof -iTCP -sTCP:LISTEN -nP" >/dev/null 2>&1
done

peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
{
  echo "quaylight scan|$(peak_kb "$quaylight" scan)"
  echo "quaylight scan --json|$(peak_kb "$quaylight" scan --json)"
  echo "ss -ltnp|$(peak_kb ss -ltnp)"
  echo "lsof -iTCP -sTCP:LISTEN -nP|$(peak_kb lsof -iTCP -sTCP:LISTEN -nP)"
} >"$work/rss.txt"

python3 - "$work" "$quaylight" <<'PY'
import glob, json, statistics, sys
work, quaylight = sys.argv[1], sys.argv[2]
short = lambda command: command.replace(quaylight, "quaylight")
rounds = []
for path in sorted(glob.glob(f"{work}/times-*.json")):
    rounds.append({short(r["command"]): r["median"] * 1000 for r in json.load(open(path))["results"]})
rss = dict(line.rstrip("\n").split("|") for line in open(f"{work}/rss.txt"))
names = list(rounds[0])
median = {n: statistics.median(r[n] for r in rounds) for n in names}
ratio = {n: statistics.median(r[n] / r["ss -ltnp"] for r in rounds) for n in names}
spread = {n: (min(r[n] / r["ss -ltnp"] for r in rounds), max(r[n] / r["ss -ltnp"] for r in rounds)) for n in names}
print(f"{len(rounds)} rounds; medians in ms, ratios to ss -ltnp as the median of the rounds (lowest-highest)")
print(f"{'command':32} {'median ms':>10} {'x ss -ltnp':>11} {'rounds':>12} {'peak RSS MB':>12}")
for n in names:
    kb = int(rss.get(n, "0") or 0)
    low, high = spread[n]
    print(f"{n:32} {median[n]:10.2f} {ratio[n]:11.2f} {f'{low:.2f}-{high:.2f}':>12} {kb / 1024:12.1f}")
scan, scan_rss = ratio["quaylight scan"], int(rss["quaylight scan"]) / 1024
print()
print(f"quaylight scan / ss -ltnp = {scan:.2f} (target <= 0.50): {'met' if scan <= 0.5 else 'NOT met'}")
print(f"quaylight scan peak RSS = {scan_rss:.1f} MB (target <= 10 MB): {'met' if scan_rss <= 10 else 'NOT met'}")
PY

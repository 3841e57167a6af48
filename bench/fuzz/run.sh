#!/usr/bin/env bash
# Builds the hook-input fuzzer with clang and libFuzzer (the main build uses g++) and runs
# it for a bounded time on a corpus seeded from the test fixtures. Exits non-zero when it
# finds a crash, a leak or a broken round trip; the reproducer lands in build/fuzz/.
#
#   bench/fuzz/run.sh [seconds]      (default 30)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-30}
out=${QUAYLIGHT_BUILD_DIR:-$top/build}/fuzz
mkdir -p "$out/corpus"
clang=$(command -v clang++-14 || command -v clang++)

"$clang" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$top" "$top/bench/fuzz/hook_input_fuzzer.cpp" "$top/Quaylight/agent-hooks/protocol/AgentHookProtocol.cpp" \
  -o "$out/hook-input-fuzzer"

# Seeds: every hook input fixture and a few envelopes.
cp "$top"/tests/Quaylight/agent-hooks/data/hook-input/*.json "$out/corpus/"
printf '%s' '{"v":1,"provider":"claude","event":"promptSubmitted","sessionID":"s","projectName":"site","parentPID":42}' \
  > "$out/corpus/envelope-claude.json"
printf '%s' '{"v":1,"provider":"codex","event":"connectionTest","sessionID":"quaylight-connection-test","parentPID":0}' \
  > "$out/corpus/envelope-test.json"

cd "$out"
./hook-input-fuzzer -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 corpus
echo "fuzz: ${seconds} s, no crash"

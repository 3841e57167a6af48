#!/usr/bin/env bash
# Builds everything but the benchmarks with AddressSanitizer and UndefinedBehaviorSanitizer
# in a build folder of its own: the kits, the command line, the application library, the
# launcher and the quaylight executable (linked dynamically there), and every test binary.
# Then runs every test against that build: the Qt-free tests, the widget tests on the
# offscreen platform, and the end-to-end scenarios with the sanitized application. Any
# report fails the run, also one from a process whose exit nobody checks (the application
# under the scenarios, the commands it and the tests start): every sanitized process writes
# its reports into one folder, which must stay empty.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_SANITIZE_BUILD_DIR:-$top/build-sanitize}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Configured on every run (a second of work), so that a folder made by an older version of
# this script gets today's options. -O1 keeps the build quick and the reports readable; -g1
# gives them line numbers. GCC warns of "maybe uninitialized" values falsely when sanitizing;
# those warnings are off, and warnings stay warnings here: the main build holds the code to
# them.
cmake -S "$top" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -Wno-maybe-uninitialized" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DQUAYLIGHT_BUILD_BENCH=OFF -DQUAYLIGHT_WERROR=OFF >/dev/null
cmake --build "$build"

# A short folder of its own under /tmp: the scenarios' homes and sockets live below it, and a
# Unix socket's path may not pass 107 bytes.
logs=$(mktemp -d /tmp/qsan-XXXXXX)
trap 'rm -rf "$logs"' EXIT
mkdir "$logs/reports" "$logs/e2e"
reports=$logs/reports/report
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}:log_path=$reports
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}:log_path=$reports
# Leaks of the system libraries below Qt, never of our code.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/scripts/sanitize-leaks.supp:print_suppressions=0}

# Every test, one process each as in the main run, the end-to-end scenarios with the
# sanitized executable on their private X displays (the harness hands the sanitizer options
# on to it). GCC's UndefinedBehaviorSanitizer ignores log_path beside AddressSanitizer and
# writes to standard error: the harness keeps every process's output of each scenario here,
# and a report in any of them fails the run too.
# The end-to-end scenarios run after the rest, at most four at once (see test.sh).
failed=0
jobs=${CTEST_PARALLEL_LEVEL:-$(nproc)}
e2e_jobs=$(( jobs < 4 ? jobs : 4 ))
for pass in "-LE e2e -j $jobs" "-L e2e -j $e2e_jobs"; do
  # shellcheck disable=SC2086 # the pass's options are words
  if E2E_TMP=$logs/e2e E2E_KEEP=1 ctest --test-dir "$build" --output-on-failure $pass >"$logs/ctest.log" 2>&1; then
    echo "sanitize: $(grep -E '^[0-9]+% tests passed' "$logs/ctest.log")"
  else
    echo "sanitize: tests FAILED" >&2
    grep -v -E '^ *(Start +[0-9]+:|[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed )' "$logs/ctest.log" >&2 || true
    failed=1
  fi
done

if [ -z "$(find "$logs/e2e" -name 'app*.log' -print -quit)" ]; then
  echo "sanitize: the end-to-end scenarios kept no output of the application, so its reports cannot be read." >&2
  failed=1
fi
report_marks='runtime error:|ERROR: (Address|Leak)Sanitizer'
while IFS= read -r -d '' report; do
  if [ "$(dirname "$report")" = "$logs/reports" ] || grep -Eq "$report_marks" "$report"; then
    echo "sanitize: a sanitizer report (${report#"$logs"/}):" >&2
    cat "$report" >&2
    failed=1
  fi
done < <(find "$logs/reports" "$logs/e2e" -type f \( -path "$logs/reports/*" -o -name '*.log' \) -print0)
exit $failed

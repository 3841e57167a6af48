#!/usr/bin/env bash
# Builds the Qt-free parts' test binaries (and the executable their end-to-end tests run)
# with AddressSanitizer and UndefinedBehaviorSanitizer in a build folder of their own, and
# runs them. Any report fails the run. Qt code and the benchmarks are left out.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAYLIGHT_SANITIZE_BUILD_DIR:-$top/build-sanitize}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  # -O1 keeps the build quick and the reports readable; -g1 gives them line numbers. GCC
  # warns of "maybe uninitialized" values falsely when sanitizing; those warnings are off,
  # and warnings stay warnings here: the main build holds the code to them.
  cmake -S "$top" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -Wno-maybe-uninitialized" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DQUAYLIGHT_BUILD_BENCH=OFF -DQUAYLIGHT_BUILD_APP_WITH_EXECUTABLE=OFF -DQUAYLIGHT_WERROR=OFF >/dev/null
fi
binaries=(
  tests/ProcessCoreKit/ProcessCoreKitTests
  tests/QuaylightKit/QuaylightKitTests
  tests/TidewatchKit/TidewatchKitTests
  tests/Quaylight/agent-hooks/QuaylightAgentHooksTests
  tests/Quaylight/agent-inventory/QuaylightAgentInventoryTests
  tests/Quaylight/shell/QuaylightCLITests
)
targets=()
for binary in "${binaries[@]}"; do targets+=("$(basename "$binary")"); done
cmake --build "$build" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# One binary per job, all at once: each runs its tests in one process, as ctest would in
# its folder.
pids=()
for binary in "${binaries[@]}"; do
  name=$(basename "$binary")
  (cd "$build/$(dirname "$binary")" && "./$name" --gtest_brief=1 >"$logs/$name.log" 2>&1) &
  pids+=($!)
done
failed=0
for i in "${!binaries[@]}"; do
  name=$(basename "${binaries[$i]}")
  if wait "${pids[$i]}"; then
    echo "sanitize: $name passed"
  else
    echo "sanitize: $name FAILED" >&2
    cat "$logs/$name.log" >&2
    failed=1
  fi
done
exit $failed

#!/usr/bin/env bash
# Builds everything and runs every test: the native suite (host compiler with
# sanitizers, fuzzers) and the Windows suite under Wine; then builds the
# product with clang too. Ends with one line "N passed, N failed" counting
# test binaries (a failed build counts as one failure).
set -u
cd "$(dirname "$0")/.."
scripts/deps.sh || exit 1

passed=0
failed=0
log=build/test-logs
mkdir -p "$log"

# Counts test binaries from a ctest log; the Wine set-up and tear-down
# entries (and the TLS front's) count only when they fail.
tally() {  # tally <ctest log>
  local p f
  p=$(grep -E 'Test +#[0-9]+: ' "$1" | grep -vE 'vt_(wine|tls)_' | grep -c ' Passed ')
  f=$(grep -E 'Test +#[0-9]+: ' "$1" | grep -vc ' Passed ')
  grep -qE '[0-9]+% tests passed' "$1" || f=$((f + 1))
  passed=$((passed + p))
  failed=$((failed + f))
}

for preset in host windows-x64; do
  echo "== $preset: build"
  if cmake --preset "$preset" >"$log/$preset-configure.log" 2>&1 &&
     cmake --build --preset "$preset" >"$log/$preset-build.log" 2>&1; then
    echo "== $preset: test"
    ctest --preset "$preset" 2>&1 | tee "$log/$preset-ctest.log"
    tally "$log/$preset-ctest.log"
  else
    echo "build of $preset failed; see $log/$preset-*.log"
    tail -30 "$log/$preset-build.log" 2>/dev/null || tail -30 "$log/$preset-configure.log"
    failed=$((failed + 1))
  fi
done

# The product again with clang for the same target, warnings as errors: code
# that only GCC accepts fails here.
echo "== windows-x64-clang: build"
if ! { cmake --preset windows-x64-clang >"$log/windows-x64-clang-configure.log" 2>&1 &&
       cmake --build --preset windows-x64-clang >"$log/windows-x64-clang-build.log" 2>&1; }; then
  echo "build of windows-x64-clang failed; see $log/windows-x64-clang-*.log"
  grep -E 'error|warning' "$log/windows-x64-clang-build.log" 2>/dev/null | head -30 ||
    tail -30 "$log/windows-x64-clang-configure.log"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

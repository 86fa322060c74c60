#!/usr/bin/env bash
# Builds everything and runs every test: the native suite (host compiler with
# sanitizers, fuzzers) and the Windows suite under Wine. Ends with one line
# "N passed, N failed" counting test binaries.
set -u
cd "$(dirname "$0")/.."
scripts/deps.sh || exit 1

passed=0
failed=0
log=build/test-logs
mkdir -p "$log"

tally() {  # tally <ctest log>
  local line p f t
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

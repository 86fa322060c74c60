#!/usr/bin/env bash
# Start-up and idle figures of the running program under Wine, each against a
# baseline measured in the same run.
#   bench/app/run.sh [idle seconds]
# Idle: CPU seconds per minute of wall time at a Refresh Time of 1 s with 300
# extra top-level windows, against a bare process that only enumerates the
# windows and reads their titles once a second. CPU is read from /proc, for the
# process and for the wineserver that serves its calls.
set -eu
cd "$(dirname "$0")/../.."
secs=${1:-30}
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target app_bench >/dev/null
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-bench" VT_XVFB=1
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT"' EXIT
. cmake/wine/env.sh
bin="$PWD/build/windows-x64/bin"
settings='HKCU\Software\Larkspur Lane Software\Vel-Tarrow\Settings'

wine "$bin/app_bench.exe" "Z:$bin/Vel-Tarrow.exe" "Z:$bin/vt_popups.exe" | tr -d '\r'

titles="$VT_WINE_ROOT/titles.txt"
for i in $(seq 300); do echo "Document $i - Some Editor"; done > "$titles"
wine "$bin/vt_popups.exe" --quiet --exit-after 600 --titles-from "Z:$titles" &
popups=$!
wine reg add "$settings" /v Time /d 1 /f >/dev/null 2>&1
wine reg add "$settings" /v StartWithWindows /d False /f >/dev/null 2>&1
sleep 3

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
server=""
for p in $(pgrep "^wineserver"); do
  tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$p
done
hz=$(getconf CLK_TCK)

# measure <command pattern> <command...>: prints "process server" CPU s per minute
measure() {
  local pattern=$1; shift
  "$@" >/dev/null 2>&1 &
  sleep 4
  local pid; pid=$(pgrep -n -f "$pattern")
  local p0 s0 p1 s1
  p0=$(ticks "$pid"); s0=$(ticks "$server")
  sleep "$secs"
  p1=$(ticks "$pid"); s1=$(ticks "$server")
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
  awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$secs" \
    'BEGIN { printf "%.3f %.3f\n", p / hz * 60 / t, s / hz * 60 / t }'
}
read -r app app_srv < <(measure 'Vel-Tarrow.exe' wine "$bin/Vel-Tarrow.exe")
read -r bare bare_srv < <(measure 'app_bench.exe --baseline-enum' wine "$bin/app_bench.exe" --baseline-enum)
kill $popups 2>/dev/null || true
awk -v a="$app" -v as="$app_srv" -v b="$bare" -v bs="$bare_srv" 'BEGIN {
  printf "idle at 1 s with 300 windows, CPU s per minute (process + wineserver):\n"
  printf "  Vel-Tarrow %.3f + %.3f; bare enumerator %.3f + %.3f; ratio %.2f\n",
         a, as, b, bs, ((b + bs) > 0 ? (a + as) / (b + bs) : 0) }'

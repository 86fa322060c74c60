#!/usr/bin/env bash
# Start-up and idle figures of the running program under Wine, each against a
# baseline measured in the same run.
#   bench/app/run.sh [idle seconds]
#   VT_BASE_EXE=/path/to/older/Vel-Tarrow.exe bench/app/run.sh   also measures an earlier build
#   VT_ROUNDS=n (default 3): rounds per program; the median round is shown
# Idle: CPU seconds per minute of wall time at a Refresh Time of 1 s with 300
# extra top-level windows, against a bare process that only enumerates the
# windows and reads their titles once a second; then with every title changing
# once a second. CPU is read from /proc, for the process and for the wineserver
# that serves its calls.
set -eu
cd "$(dirname "$0")/../.."
secs=${1:-30}
rounds=${VT_ROUNDS:-3}
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target app_bench >/dev/null
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-bench" VT_XVFB=1
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT"' EXIT
. cmake/wine/env.sh
bin="$PWD/build/windows-x64/bin"
settings='HKCU\Software\Larkspur Lane Software\Vel-Tarrow\Settings'

base=""
[ -n "${VT_BASE_EXE:-}" ] && base=$(readlink -f "$VT_BASE_EXE")
wine "$bin/app_bench.exe" "Z:$bin/Vel-Tarrow.exe" "Z:$bin/vt_popups.exe" ${base:+"Z:$base"} | tr -d '\r'

titles="$VT_WINE_ROOT/titles.txt"
for i in $(seq 300); do echo "Document $i - Some Editor"; done > "$titles"
wine reg add "$settings" /v Time /d 1 /f >/dev/null 2>&1
wine reg add "$settings" /v StartWithWindows /d False /f >/dev/null 2>&1

ticks() {
  [ -r "/proc/$1/stat" ] || { echo "run.sh: process $1 has gone" >&2; exit 1; }
  awk '{print $14 + $15}' "/proc/$1/stat"
}
# The newest process of this prefix whose command line matches (other prefixes
# on the machine may run programs of the same name, and their own wineserver).
ours() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done | sort -n | tail -1
}
hz=$(getconf CLK_TCK)

# measure <command pattern> <command...>: prints "process server" CPU s per minute
measure() {
  local pattern=$1; shift
  "$@" >/dev/null 2>&1 &
  sleep 4
  local pid server; pid=$(ours "$pattern"); server=$(ours "^[^ ]*wineserver")
  local p0 s0 p1 s1
  p0=$(ticks "$pid"); s0=$(ticks "$server")
  sleep "$secs"
  p1=$(ticks "$pid"); s1=$(ticks "$server")
  kill "$pid" 2>/dev/null || true
  wait "$!" 2>/dev/null || true
  awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$secs" \
    'BEGIN { printf "%.3f %.3f\n", p / hz * 60 / t, s / hz * 60 / t }'
}
# line <label> <process> <server> [<label> <process> <server>]: one figure, or two and their ratio
line() {
  awk -v l="$1" -v a="$2" -v as="$3" -v m="${4:-}" -v b="${5:-0}" -v bs="${6:-0}" 'BEGIN {
    printf "  %s %.3f + %.3f", l, a, as
    if (m != "") printf "; %s %.3f + %.3f; ratio %.2f", m, b, bs, ((b + bs) > 0 ? (a + as) / (b + bs) : 0)
    printf "\n" }'
}

# median: of "process server" lines, the one whose sum is the median
median() { awk '{print $1 + $2, $1, $2}' | sort -n | awk '{a[NR] = $2 " " $3} END {print a[int((NR + 1) / 2)]}'; }

for scene in unchanged changing; do
  extra=""
  [ "$scene" = changing ] && extra="--retitle-every 1000"
  # shellcheck disable=SC2086
  wine "$bin/vt_popups.exe" --quiet --exit-after 3600 $extra --titles-from "Z:$titles" &
  popups=$!
  sleep 3
  # Rounds alternate the programs, so load from elsewhere hits all alike.
  apps="" bares="" olds=""
  for _ in $(seq "$rounds"); do
    apps+="$(measure '^[^ ]*Vel-Tarrow.exe' wine "$bin/Vel-Tarrow.exe")"$'\n'
    [ "$scene" = unchanged ] &&
      bares+="$(measure '^[^ ]*app_bench.exe --baseline-enum' wine "$bin/app_bench.exe" --baseline-enum)"$'\n'
    [ -n "$base" ] && olds+="$(measure '^[^ ]*Vel-Tarrow.exe' wine "$base")"$'\n'
  done
  read -r app app_srv < <(printf %s "$apps" | median)
  if [ "$scene" = unchanged ]; then
    read -r bare bare_srv < <(printf %s "$bares" | median)
    echo "idle at 1 s with 300 unchanged windows, CPU s per minute (process + wineserver), median of $rounds:"
    line "Vel-Tarrow" "$app" "$app_srv" "bare enumerator" "$bare" "$bare_srv"
  else
    echo "at 1 s with 300 windows whose titles change every second, CPU s per minute, median of $rounds:"
  fi
  if [ -n "$base" ]; then
    read -r old old_srv < <(printf %s "$olds" | median)
    line "Vel-Tarrow" "$app" "$app_srv" "earlier build" "$old" "$old_srv"
  elif [ "$scene" = changing ]; then
    line "Vel-Tarrow" "$app" "$app_srv"
  fi
  kill $popups 2>/dev/null || true
  wait $popups 2>/dev/null || true
done

#!/usr/bin/env bash
# Stops what setup.sh started; the prefix stays for the next run.
set -u
VT_WINE_ROOT="${1:-${VT_WINE_ROOT:-}}"
export VT_WINE_ROOT
. "$(dirname "$0")/env.sh"
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
if [ -s "$VT_WINE_ROOT/xvfb.pid" ]; then
  kill "$(cat "$VT_WINE_ROOT/xvfb.pid")" 2>/dev/null
  rm -f "$VT_WINE_ROOT/xvfb.pid" "$VT_WINE_ROOT/display"
fi
exit 0

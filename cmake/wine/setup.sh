#!/usr/bin/env bash
# Prepares the private Wine prefix, one Xvfb and a persistent wineserver for a
# test run. Every background process is detached from our stdout so CTest does
# not wait on its pipe.
set -eu
VT_WINE_ROOT="${1:-${VT_WINE_ROOT:-}}"
export VT_WINE_ROOT
. "$(dirname "$0")/env.sh"
mkdir -p "$VT_WINE_ROOT" "$TMPDIR"

# A display: the caller's, unless VT_XVFB=1 or there is none.
if [ -n "${DISPLAY:-}" ] && [ "${VT_XVFB:-0}" != 1 ] && [ ! -s "$VT_WINE_ROOT/xvfb.pid" ]; then
  echo "$DISPLAY" > "$VT_WINE_ROOT/display"
elif [ -s "$VT_WINE_ROOT/xvfb.pid" ] && kill -0 "$(cat "$VT_WINE_ROOT/xvfb.pid")" 2>/dev/null; then
  : # ours is still running
else
  rm -f "$VT_WINE_ROOT/display.new"
  setsid Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp \
    3>"$VT_WINE_ROOT/display.new" </dev/null >/dev/null 2>&1 &
  echo $! > "$VT_WINE_ROOT/xvfb.pid"
  for _ in $(seq 100); do [ -s "$VT_WINE_ROOT/display.new" ] && break; sleep 0.1; done
  [ -s "$VT_WINE_ROOT/display.new" ] || { echo "Xvfb did not start" >&2; exit 1; }
  echo ":$(tr -d '[:space:]' < "$VT_WINE_ROOT/display.new")" > "$VT_WINE_ROOT/display"
fi
DISPLAY="$(cat "$VT_WINE_ROOT/display")"
export DISPLAY

# The prefix is made once and reused.
if [ ! -f "$WINEPREFIX/.vt-ready" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w
  reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
  # No window manager here: skip the 2 s wait on every destroyed window.
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  # A crash prints a backtrace and exits instead of hanging on a dialog.
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  wineserver -w
  touch "$WINEPREFIX/.vt-ready"
fi

# One persistent server for the whole run; its services start here, not in a test.
# A server left from an earlier run (persistent, so -w alone would wait forever).
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
setsid wine cmd /c exit </dev/null >/dev/null 2>&1 || true
echo "wine ready: prefix $WINEPREFIX, display $DISPLAY"

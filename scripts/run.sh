#!/usr/bin/env bash
# Builds Vel-Tarrow and starts it under Wine: on $DISPLAY when set, otherwise
# on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target Vel-Tarrow
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-run"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY set: starting Vel-Tarrow on a private Xvfb."
fi
cmake/wine/setup.sh "$VT_WINE_ROOT"
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT"' EXIT
. cmake/wine/env.sh
echo "Vel-Tarrow runs on display $DISPLAY; it lives in the tray. Ctrl+C ends it."
echo "To look at that display: import -display $DISPLAY -window root shot.png"
wine build/windows-x64/bin/Vel-Tarrow.exe

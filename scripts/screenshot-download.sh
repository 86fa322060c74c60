#!/usr/bin/env bash
# Regenerates docs/screenshot-download.png: the download dialog in the middle
# of a download from a loopback server, on a private Xvfb.
# VT_DPI=144 takes it at 144 dots per inch instead (written beside, -144dpi).
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target vt_download >/dev/null
dpi="${VT_DPI:-96}"
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-shot-download" VT_XVFB=1
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT" >/dev/null' EXIT
. cmake/wine/env.sh
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
out=docs/screenshot-download.png
[ "$dpi" = 96 ] || out="docs/screenshot-download-${dpi}dpi.png"
stop="$VT_WINE_ROOT/shot.stop"
rm -f "$stop" "$VT_WINE_ROOT/shot.out"
wine build/windows-x64/bin/vt_download.exe --rect --stop-file "Z:$stop" > "$VT_WINE_ROOT/shot.out" &
shot=$!
for _ in $(seq 600); do grep -q '^rect' "$VT_WINE_ROOT/shot.out" 2>/dev/null && break; sleep 0.1; done
read -r _ x y w h < <(grep '^rect' "$VT_WINE_ROOT/shot.out" | tr -d '\r')
sleep 0.3  # one more frame of the clip and a fresh rate
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$stop"
wait "$shot" || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
echo "wrote $out (${w}x${h})"

#!/usr/bin/env bash
# Regenerates docs/screenshot-main.png: the main window with a few running
# windows and the default close list, on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target vt_screenshot >/dev/null
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-shot" VT_XVFB=1
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT"' EXIT
. cmake/wine/env.sh
bin=build/windows-x64/bin
done_file="$VT_WINE_ROOT/shot.done"
rm -f "$done_file"
export VT_EXE_VEL_TARROW="Z:$PWD/$bin/Vel-Tarrow.exe"
wine "$bin/vt_screenshot.exe" "Z:$PWD/$bin/vt_popups.exe" "Z:$done_file" > "$VT_WINE_ROOT/shot.out" &
shot=$!
for _ in $(seq 300); do grep -q '^rect' "$VT_WINE_ROOT/shot.out" 2>/dev/null && break; sleep 0.1; done
read -r _ x y w h < <(grep '^rect' "$VT_WINE_ROOT/shot.out" | tr -d '\r')
import -window root -crop "${w}x${h}+${x}+${y}" +repage docs/screenshot-main.png
touch "$done_file"
wait "$shot"
echo "wrote docs/screenshot-main.png (${w}x${h})"

#!/usr/bin/env bash
# Regenerates docs/progress-bar.png: the progress bar's eight looks in its
# three styles, on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target progress_gallery >/dev/null
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-gallery" VT_XVFB=1
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT"' EXIT
. cmake/wine/env.sh
bin=build/windows-x64/bin
done_file="$VT_WINE_ROOT/gallery.done"
rm -f "$done_file"
wine "$bin/progress_gallery.exe" "Z:$PWD/$done_file" > "$VT_WINE_ROOT/gallery.out" &
shot=$!
for _ in $(seq 300); do grep -q '^rect' "$VT_WINE_ROOT/gallery.out" 2>/dev/null && break; sleep 0.1; done
sleep 1
read -r _ x y w h < <(grep '^rect' "$VT_WINE_ROOT/gallery.out" | tr -d '\r')
import -window root -crop "${w}x${h}+${x}+${y}" +repage docs/progress-bar.png
touch "$done_file"
wait "$shot"
echo "wrote docs/progress-bar.png (${w}x${h})"

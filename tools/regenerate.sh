#!/bin/sh
# Rebuilds the asset generators with the host compiler and rewrites the
# committed assets: the program icon, the progress bar skins and the download
# animation. Run from anywhere; commit what changed.
set -eu
tools=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$tools")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
for gen in make_icon make_skins make_clip; do
  ${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -Wpedantic "$tools/$gen"/*.cpp -o "$tmp/$gen"
done
"$tmp/make_icon" "$root/src/app/res/Vel-Tarrow.ico"
mkdir -p "$root/src/controls/res"
"$tmp/make_skins" "$root/src/controls/res"
"$tmp/make_clip" "$root/src/download/res/download.avi"
echo "wrote src/app/res/Vel-Tarrow.ico, src/controls/res/*.bmp, src/download/res/download.avi"

#!/bin/sh
# Rebuilds the clip generator with the host compiler and rewrites the
# committed download animation. Run from anywhere; commit the changed .avi.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -Wpedantic \
  "$here/make_clip.cpp" "$here/avi_writer.cpp" "$here/clip_art.cpp" -o "$tmp/make_clip"
"$tmp/make_clip" "$root/src/download/res/download.avi"
echo "wrote $root/src/download/res/download.avi"

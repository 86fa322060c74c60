#!/bin/sh
# Rebuilds the skin generator with the host compiler and rewrites the
# committed progress bar bitmaps. Run from anywhere; commit the changed files.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -Wpedantic \
  "$here/make_skins.cpp" "$here/skin_art.cpp" -o "$tmp/make_skins"
mkdir -p "$root/src/controls/res"
"$tmp/make_skins" "$root/src/controls/res"
echo "wrote $root/src/controls/res"

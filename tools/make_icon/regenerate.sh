#!/bin/sh
# Rebuilds the icon generator with the host compiler and rewrites the
# committed program icon. Run from anywhere; commit the changed .ico.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -Wpedantic \
  "$here/make_icon.cpp" "$here/icon_writer.cpp" "$here/icon_art.cpp" -o "$tmp/make_icon"
"$tmp/make_icon" "$root/src/app/res/Vel-Tarrow.ico"
echo "wrote $root/src/app/res/Vel-Tarrow.ico"

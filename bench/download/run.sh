#!/usr/bin/env bash
# Builds and runs the download benchmark under Wine in the build tree's prefix.
set -eu
cd "$(dirname "$0")/../.."
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target download_bench >/dev/null
export VT_WINE_ROOT="$PWD/build/windows-x64/wine-bench"
cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT" >/dev/null' EXIT
. cmake/wine/env.sh
wine build/windows-x64/bin/download_bench.exe "$@"

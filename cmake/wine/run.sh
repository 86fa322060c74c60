#!/usr/bin/env bash
# Emulator for cross-built binaries: runs one Windows program in the private
# prefix that setup.sh prepared.
set -u
. "$(dirname "$0")/env.sh"
if [ ! -f "$WINEPREFIX/.vt-ready" ]; then
  echo "no Wine prefix at $WINEPREFIX; run cmake/wine/setup.sh first" >&2
  exit 98
fi
exec wine "$@"

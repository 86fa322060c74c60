# Shared by the Wine scripts: everything lives under one root in the build tree.
# Usage: VT_WINE_ROOT=/path . env.sh
if [ -z "${VT_WINE_ROOT:-}" ]; then
  echo "VT_WINE_ROOT is not set; refusing to touch the default Wine prefix" >&2
  exit 97
fi
export WINEPREFIX="$VT_WINE_ROOT/prefix"
export WINEARCH=win64
export TMPDIR="$VT_WINE_ROOT/tmp"
export WINEDEBUG="${VT_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export no_proxy="127.0.0.1,localhost"
export NO_PROXY="$no_proxy"
if [ -s "$VT_WINE_ROOT/display" ]; then
  DISPLAY="$(cat "$VT_WINE_ROOT/display")"
  export DISPLAY
fi

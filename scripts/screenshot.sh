#!/usr/bin/env bash
# Regenerates docs/screenshot-main.png: the main window with a few running
# windows and the default close list, on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
. scripts/capture.sh
capture_setup vt_screenshot wine-shot
export VT_EXE_VEL_TARROW="Z:$PWD/$bin/Vel-Tarrow.exe"
capture_run docs/screenshot-main.png 0 "$bin/vt_screenshot.exe" "Z:$PWD/$bin/vt_popups.exe" "Z:$stop"

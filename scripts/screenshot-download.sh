#!/usr/bin/env bash
# Regenerates docs/screenshot-download.png: the download dialog in the middle
# of a download from a loopback server, on a private Xvfb.
# VT_DPI=144 takes it at 144 dots per inch instead (written beside, -144dpi).
set -eu
cd "$(dirname "$0")/.."
. scripts/capture.sh
capture_setup download_win_test wine-shot-download
dpi="${VT_DPI:-96}"
out=docs/screenshot-download.png
[ "$dpi" = 96 ] || out="docs/screenshot-download-${dpi}dpi.png"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The download test's 400 KB/s scene holds at 40 % until the stop file exists.
export VT_SHOT_STOP="Z:$stop"
# A little more than one frame of the clip, so the rate is a fresh one.
capture_run "$out" 0.3 "$bin/download_win_test.exe" --gtest_filter='Download.Cancel*'
unset VT_SHOT_STOP
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

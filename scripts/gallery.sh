#!/usr/bin/env bash
# Regenerates docs/progress-bar.png: the progress bar's eight looks in its
# three styles, on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
. scripts/capture.sh
capture_setup progress_gallery wine-gallery
capture_run docs/progress-bar.png 1 "$bin/progress_gallery.exe" "Z:$stop"

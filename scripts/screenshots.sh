#!/bin/bash
# Remakes the documentation's screenshots (docs/images/*.png) from BUILD_DIR by
# driving the real viewer on the samples under a virtual X server. Names of
# scenes after BUILD_DIR remake only those. Needs xvfb and xauth
# (./scripts/install-debian-packages.sh xvfb xauth).
set -euo pipefail
build=$(realpath "${1:?usage: screenshots.sh BUILD_DIR [SCENE...]}")
shift
out=$(realpath "$(dirname "$0")/../docs/images")
mkdir -p "$out"
cmake --build "$build" --target quillmark-screenshots
# A fixed screen, style and font setting, so the pictures only change when the
# program does.
export QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion QT_SCALE_FACTOR=1
xvfb-run -a -s "-screen 0 1600x1000x24" \
  "$build/tools/screenshots/quillmark-screenshots" "$out" "$@"

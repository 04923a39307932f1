#!/bin/bash
# Remakes the documentation's screenshots (docs/images/*.png) from BUILD_DIR by
# driving the real viewer on the samples under a virtual X server, as a first
# start shows it: fresh settings, every window at its first-run size. Each
# scene is taken on a screen of its own size (1600x1000, or a laptop's), one
# virtual X server for each. Names of scenes after BUILD_DIR remake only
# those. Needs xvfb and xauth
# (./scripts/install-debian-packages.sh xvfb xauth).
#
# --dark makes the same pictures in BUILD_DIR/screenshots-dark instead, with a
# dark desktop theme: GTK's Adwaita dark through Qt's GTK platform theme
# (qt6-gtk-platformtheme) where that is installed, else a dark palette of the
# tool's own.
set -euo pipefail
dark=false
if [ "${1:-}" = --dark ]; then
  dark=true
  shift
fi
build=$(realpath "${1:?usage: screenshots.sh [--dark] BUILD_DIR [SCENE...]}")
shift
out=$(realpath "$(dirname "$0")/../docs/images")
tool_options=()
# A fixed screen, style and font setting, so the pictures only change when the
# program does.
export QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion QT_SCALE_FACTOR=1
if $dark; then
  out=$build/screenshots-dark
  plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || true)
  if [ -n "$plugins" ] && [ -e "$plugins/platformthemes/libqgtk3.so" ]; then
    export QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
  else
    echo "screenshots.sh: no GTK platform theme for Qt (qt6-gtk-platformtheme);" \
      "using a dark palette of the tool's own" >&2
    tool_options+=(--dark-palette)
  fi
fi
mkdir -p "$out"
cmake --build "$build" --target quillmark-screenshots
tool=$build/tools/screenshots/quillmark-screenshots
for screen in $(QT_QPA_PLATFORM=offscreen "$tool" --screens); do
  xvfb-run -a -s "-screen 0 ${screen}x24" \
    "$tool" "${tool_options[@]}" --screen "$screen" "$out" "$@"
done
echo "screenshots.sh: pictures in $out"

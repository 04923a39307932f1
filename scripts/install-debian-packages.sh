#!/bin/sh
# Installs what building, testing and packaging Quillmark needs on Debian 12, as
# root or through sudo. Extra package names given as arguments are installed too.
set -e
if [ "$(id -u)" -eq 0 ]; then SUDO=; else SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# qt6-base-dev: Qt Core, Gui, Widgets and Print Support (the viewer's printing).
# libre2-dev and pkg-config: the regular expressions of the field search.
# dpkg-dev and file: cpack's dependency lookup. desktop-file-utils,
# libxml2-utils, shared-mime-info and groff-base: the checkers the install test
# runs on the desktop entry, icon, file type and man pages. qt6-charts-dev (and
# libqt6opengl6-dev, which its CMake files need but it does not pull in):
# the charts of the file summary. fonts-dejavu-core: the typeface printouts
# and PDFs are drawn in; poppler-utils: the tests read the PDFs back with it.
$SUDO apt-get install -y --no-install-recommends \
  cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libre2-dev pkg-config \
  dpkg-dev file desktop-file-utils libxml2-utils shared-mime-info groff-base \
  fonts-dejavu-core poppler-utils "$@"

#!/bin/sh
# Installs what building and testing Quillmark needs on Debian 12, as root or through sudo.
set -e
if [ "$(id -u)" -eq 0 ]; then SUDO=; else SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgl-dev "$@"

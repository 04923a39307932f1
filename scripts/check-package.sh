#!/bin/bash
# Builds the Debian package from BUILD_DIR, unpacks it into a scratch folder and
# runs the unpacked programs from another folder, so that a package that cannot
# find its own maps, or lacks a program, fails.
set -euo pipefail
build=$(realpath "${1:?usage: check-package.sh BUILD_DIR}")
samples=$(realpath "$(dirname "$0")/../samples")

(cd "$build" && rm -f quillmark_*.deb && cpack -G DEB >/dev/null)
package=$(echo "$build"/quillmark_*.deb)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$package" "$scratch/root"
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
unset QUILLMARK_MAPS

maps=$(realpath -m "$scratch/root/usr/share/quillmark/maps")
for program in quillmark-cli quillmark; do
  version=$(env -u DISPLAY -u QT_QPA_PLATFORM "$scratch/root/usr/bin/$program" --version)
  echo "$version"
  shown=$(realpath -m "$(sed -n 's/^Maps: //p' <<<"$version")")
  if [ "$shown" != "$maps" ]; then
    echo "check-package: $program uses the maps in '$shown', not the package's $maps" >&2
    exit 1
  fi
done
"$scratch/root/usr/bin/quillmark-cli" tree "$samples/sample301.nsf"
"$scratch/root/usr/bin/quillmark-cli" claim "$samples/sample301.nsf" CA0967 >/dev/null
echo "package: $(basename "$package") unpacked and run from another folder"

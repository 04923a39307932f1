#!/bin/sh
# Builds the benchmark, writes a 1 GB claim file into /tmp (never into the
# repository) and prints the figures. Usage: bench/run-1g.sh [BUILD_DIR] [SIZE]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
size=${2:-1G}
file=${TMPDIR:-/tmp}/quillmark-bench-$size.nsf

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2 --target quillmark-bench quillmark-search-bench quillmark-cli nsfgen
if [ ! -f "$file" ]; then
  "$build/tools/nsfgen/nsfgen" --maps "$here/maps" --version 00301 --seed 1 --size "$size" --out "$file"
fi
"$build/bench/quillmark-bench" "$file" --maps "$here/maps"
"$build/bench/search/quillmark-search-bench" "$file" --maps "$here/maps" --runs 3

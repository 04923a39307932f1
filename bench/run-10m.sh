#!/bin/sh
# Builds the benchmarks, writes a claim file of ten million claims (3.25 GB:
# every claim its CA0 line alone, 250 to a batch) into /tmp, never into the
# repository, and prints the engine's and the viewer's figures on it.
# Usage: bench/run-10m.sh [BUILD_DIR]
# nsfgen warns that three values did not fit: the file trailer's record and
# claim counts have seven digits and its batch count four.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
file=${TMPDIR:-/tmp}/quillmark-bench-10M.nsf

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2 --target quillmark-bench quillmark-treewindow-bench quillmark-cli nsfgen
if [ ! -f "$file" ]; then
  "$build/tools/nsfgen/nsfgen" --maps "$here/maps" --version 00301 --seed 1 \
    --claims 10000000 --batches 40000 --bare-claims --out "$file"
fi
"$build/bench/quillmark-bench" "$file" --maps "$here/maps" --clicks 50
"$build/bench/treewindow/quillmark-treewindow-bench" "$file" --maps "$here/maps" --runs 3

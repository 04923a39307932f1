#!/bin/bash
# Runs every fuzz target for SECONDS seconds from seeds made of the bundled maps
# and samples. Usage: fuzz/run.sh BUILD_DIR SECONDS [CORPUS_ROOT]
# Exits non-zero when a target finds a crash, a hang, a leak or undefined behaviour.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${3:-$(mktemp -d)}
mkdir -p "$corpus"/{maploader,buildtree,nodeclick} "$corpus"/seeds-nodeclick
for f in "$root"/samples/*; do
  # Click choices first (8 clicks, no truncation), then the file itself.
  { printf '\007\000\001\002\003\005\010\015\025\042'; cat "$f"; } > "$corpus/seeds-nodeclick/$(basename "$f")"
  { printf '\007\001\001\002\003\005\010\015\025\042'; cat "$f"; } > "$corpus/seeds-nodeclick/cut-$(basename "$f")"
done
opts=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1)
run() {
  local target=$1; shift
  echo "== $target, ${seconds}s"
  (cd "$corpus" && "$build/fuzz/$target" "${opts[@]}" "$@")
}
run fuzz_maploader "$corpus/maploader" "$root/maps"
run fuzz_buildtree "$corpus/buildtree" "$root/samples"
run fuzz_nodeclick "$corpus/nodeclick" "$corpus/seeds-nodeclick"

#!/bin/bash
# Runs every fuzz target for SECONDS seconds from seeds made of the bundled maps
# and samples. Usage: fuzz/run.sh BUILD_DIR SECONDS [CORPUS_ROOT]
# Exits non-zero when a target finds a crash, a hang, a leak or undefined behaviour.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${3:-$(mktemp -d)}
mkdir -p "$corpus"/{maploader,buildtree,nodeclick,fieldregex} "$corpus"/seeds-{nodeclick,fieldregex}
for f in "$root"/samples/*; do
  # Click choices first (8 clicks, no truncation), then the file itself.
  { printf '\007\000\001\002\003\005\010\015\025\042'; cat "$f"; } > "$corpus/seeds-nodeclick/$(basename "$f")"
  { printf '\007\001\001\002\003\005\010\015\025\042'; cat "$f"; } > "$corpus/seeds-nodeclick/cut-$(basename "$f")"
done
# Patterns and values: the pattern, a NUL byte, then values separated by 0x01.
n=0
for pattern in '(?i)smith|jones' '^[A-Z]+[0-9]{3}$' '^$' '\bAB$' '(?-m:^A)' '\AX|Y\z' 'a.b' '(?i)é' \
  '^\d{5}$' '^[A-Z]+ [A-Z]+$' '^(A|AB)+B?$' '(?i)^[k-s]\w{2,4}\d$' '^[^\W\d_]+[[:digit:]]?$' '^(AB|C)?X{2}$' '(?m)^B' '^\x41\101\Q*\E$'; do
  printf '%s\000  SMITH  \001AB\001\001A\nB\001\351X\001ABC123 ' "$pattern" > "$corpus/seeds-fieldregex/$((n++))"
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
run fuzz_fieldregex "$corpus/fieldregex" "$corpus/seeds-fieldregex"

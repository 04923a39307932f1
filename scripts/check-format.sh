#!/bin/bash
# Fails when a tracked .cpp or .h file is not formatted as .clang-format says
# (clang-format 14), naming each place. Fix with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format: $(git ls-files '*.cpp' '*.h' | wc -l) files as clang-format has them"

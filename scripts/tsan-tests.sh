#!/bin/bash
# Builds with ThreadSanitizer into BUILD_DIR (default build-tsan) only what the
# threaded suites need, and runs them: the engine and the command-line tool
# (the whole-file check, the search and the comparison run on several
# threads), and the viewer's background check, field search, comparison and
# results sort, and the close of a document while all its work runs. Extra arguments go to cmake's configure step (e.g.
# -DQUILLMARK_WERROR=ON). Any report fails the run;
# scripts/tsan.supp names the reports from inside Qt that are no race.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tsan}
shift || true
tests='^(core|cli)\.|^gui\.(ProblemsTest|SearchTest|CompareTest|ResultsFilterModelTest|DocumentTest|ClaimListTest|FileLinesTest|ResultsTextSortTest)$'

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_TSAN=ON "$@" >/dev/null
# A test's program is named after the test: core.FileCheckTest is FileCheckTest.
mapfile -t targets < <(ctest --test-dir "$build" -N -R "$tests" |
  sed -n 's/^ *Test *#[0-9]*: [a-z]*\.\([A-Za-z]*\)$/\1/p')
cmake --build "$build" --target "${targets[@]}"
# die_after_fork=0: the tests start nsfgen and quillmark-cli through QProcess
# while threads run; the child only executes the program.
TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0" \
  ctest --test-dir "$build" --output-on-failure -R "$tests"

#include "CompareWindowBenchmark.h"
#include "GuiBenchProgram.h"

namespace {

const char kUsage[] =
    "usage: quillmark-compare-bench FILE FILE2 [--maps DIR] [--runs N]\n"
    "  Opens FILE in the viewer and times File > Compare With... FILE2 (a changed\n"
    "  copy, see nsfgen --mutate-from): until its first differences are painted,\n"
    "  until it ends, and the longest event-loop stall. Runs offscreen unless\n"
    "  QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR   map folder (default: the current directory)\n"
    "  --runs N     timed comparisons (default 3; medians are printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &CompareWindowBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::OnIdleTick);
}

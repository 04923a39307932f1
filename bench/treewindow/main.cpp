#include "GuiBenchProgram.h"
#include "TreeWindowBenchmark.h"

namespace {

const char kUsage[] =
    "usage: quillmark-treewindow-bench FILE [--maps DIR] [--runs N]\n"
    "  Times Tools > View Claims on FILE up to the tree window painted, with the\n"
    "  resident memory it adds, its whole-file check up to every mark painted,\n"
    "  the File Summary, \"Only claims with problems\" on and off, the file\n"
    "  opened again over its checked tree, a Find over the whole tree and the\n"
    "  Problems window over every row; each with the longest event-loop stall.\n"
    "  Runs offscreen unless QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR   map folder (default: the current directory)\n"
    "  --runs N     timed runs (default 3; the median and minimum are printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &TreeWindowBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::OnIdleTick);
}

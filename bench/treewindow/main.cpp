#include "GuiBenchProgram.h"
#include "TreeWindowBenchmark.h"

namespace {

const char kUsage[] =
    "usage: quillmark-treewindow-bench FILE [--maps DIR] [--runs N]\n"
    "  Times Tools > View Claims on FILE up to the tree window painted, with the\n"
    "  resident memory it adds, and a Find over the whole tree. Runs offscreen\n"
    "  unless QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR   map folder (default: the current directory)\n"
    "  --runs N     timed runs (default 3; the median is printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &TreeWindowBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::OnIdleTick);
}

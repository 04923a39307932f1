#include "ClaimListBenchmark.h"
#include "GuiBenchProgram.h"

namespace {

const char kUsage[] = "usage: quillmark-claimlist-bench FILE [--maps DIR] [--runs N]\n"
                      "  Times, on FILE in the viewer: a display filter set while the whole-file\n"
                      "  check reads (fed by its reading) and one set after it, each up to the\n"
                      "  filtered tree shown; the Claim List up to its window and first rows\n"
                      "  painted and to its end; a sort by Stated Total; each with the longest\n"
                      "  event-loop stall, against wc -l over FILE in the same run, and the\n"
                      "  viewer's resident memory with the tree, the check and the Claim List\n"
                      "  shown. Runs offscreen unless QT_QPA_PLATFORM says otherwise.\n"
                      "  --maps DIR   map folder (default: the current directory)\n"
                      "  --runs N     timed runs (default 3; the median and minimum are printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &ClaimListBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::OnIdleTick);
}

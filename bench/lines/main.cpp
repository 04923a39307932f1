#include "GuiBenchProgram.h"
#include "LinesWindowBenchmark.h"

namespace {

const char kUsage[] =
    "usage: quillmark-lines-bench FILE [--maps DIR] [--runs N]\n"
    "  Times Tools > File Lines in the viewer on FILE once its check is done:\n"
    "  until its first lines are painted and until every line is indexed, Go to\n"
    "  Line at the first, a middle and the last line up to the line painted, the\n"
    "  longest stall while the thumb scrolls, and the memory the window adds.\n"
    "  Runs offscreen unless QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR   map folder (default: the current directory)\n"
    "  --runs N     times the window is opened (default 3; medians are printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &LinesWindowBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::AtOnce);
}

#include "GuiBenchProgram.h"
#include "SearchWindowBenchmark.h"

namespace {

const char kUsage[] =
    "usage: quillmark-search-bench FILE [--maps DIR] [--runs N]\n"
    "  Times a field search in the viewer on FILE: until its first results are\n"
    "  painted, until it ends, and the longest event-loop stall. Runs offscreen\n"
    "  unless QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR   map folder (default: the current directory)\n"
    "  --runs N     timed runs with the viewer quiet (default 3; medians are printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--runs"), 3, kUsage, &SearchWindowBenchmark::run);
    return program.exec(argc, argv, GuiBenchSession::Painting::OnIdleTick);
}

#include "ClaimFormBenchmark.h"
#include "GuiBenchProgram.h"

namespace {

const char kUsage[] =
    "usage: quillmark-claimform-bench FILE [--maps DIR] [--clicks N]\n"
    "  Opens FILE, builds its file tree, then times node clicks on claims spread\n"
    "  evenly through it, each up to the claim form shown and painted. Runs\n"
    "  offscreen unless QT_QPA_PLATFORM says otherwise.\n"
    "  --maps DIR    map folder (default: the current directory)\n"
    "  --clicks N    claims clicked (default 100; the median is printed)\n";

} // namespace

int main(int argc, char* argv[]) {
    const GuiBenchProgram program(QLatin1String("--clicks"), 100, kUsage, &ClaimFormBenchmark::run);
    // Paint as soon as there is something to paint, not on the next idle tick:
    // the time up to the form painted is what is measured.
    return program.exec(argc, argv, GuiBenchSession::Painting::AtOnce);
}

#pragma once

#include "BenchArguments.h"
#include "GuiBenchSession.h"

#include <QLatin1String>

// The main() of a GUI benchmark: prepares the environment, makes the
// QApplication, reads the command line (FILE [--maps DIR] plus the count
// option, see BenchArguments) and runs the benchmark on it.
class GuiBenchProgram {
public:
    // Runs the benchmark; false when it could not.
    using Benchmark = bool (*)(const BenchArguments& arguments);

    // countOption and defaultCount as for BenchArguments; usage is printed on
    // standard error when the command line does not fit.
    GuiBenchProgram(QLatin1String countOption, int defaultCount, const char* usage,
                    Benchmark benchmark);

    // The exit code: 0 when the benchmark ran, 1 when it failed, 2 when the
    // command line does not fit.
    int exec(int argc, char* argv[], GuiBenchSession::Painting painting) const;

private:
    QLatin1String countOption_;
    int defaultCount_;
    const char* usage_;
    Benchmark benchmark_;
};

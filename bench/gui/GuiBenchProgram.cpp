#include "GuiBenchProgram.h"

#include <QApplication>
#include <cstdio>

GuiBenchProgram::GuiBenchProgram(QLatin1String countOption, int defaultCount, const char* usage,
                                 Benchmark benchmark)
    : countOption_(countOption)
    , defaultCount_(defaultCount)
    , usage_(usage)
    , benchmark_(benchmark) {
}

int GuiBenchProgram::exec(int argc, char* argv[], GuiBenchSession::Painting painting) const {
    GuiBenchSession::prepareEnvironment(painting);
    QApplication app(argc, argv);

    BenchArguments arguments(countOption_, defaultCount_);
    if (!arguments.parse(QApplication::arguments().mid(1))) {
        std::fputs(usage_, stderr);
        return 2;
    }
    return benchmark_(arguments) ? 0 : 1;
}

#include "ClaimFormBenchmark.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: quillmark-claimform-bench FILE [--maps DIR] [--clicks N]\n"
                 "  Opens FILE, builds its file tree, then times node clicks on claims spread\n"
                 "  evenly through it, each up to the claim form shown and painted. Runs\n"
                 "  offscreen unless QT_QPA_PLATFORM says otherwise.\n"
                 "  --maps DIR    map folder (default: the current directory)\n"
                 "  --clicks N    claims clicked (default 100; the median is printed)\n");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Paint as soon as there is something to paint, not on the next idle tick.
    if (qEnvironmentVariableIsEmpty("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);

    ClaimFormBenchmark::Options options;
    options.mapsDir = QDir::currentPath();
    const QStringList args = QApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--maps") && hasValue) {
            options.mapsDir = args.at(++i);
        } else if (arg == QLatin1String("--clicks") && hasValue) {
            options.clicks = qMax(1, args.at(++i).toInt());
        } else if (!arg.startsWith(QLatin1Char('-')) && options.file.isEmpty()) {
            options.file = arg;
        } else {
            usage();
            return 2;
        }
    }
    if (options.file.isEmpty()) {
        usage();
        return 2;
    }
    return ClaimFormBenchmark::run(options) ? 0 : 1;
}

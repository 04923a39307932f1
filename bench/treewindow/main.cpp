#include "TreeWindowBenchmark.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: quillmark-treewindow-bench FILE [--maps DIR] [--runs N]\n"
                 "  Times Tools > View Claims on FILE up to the tree window painted, with the\n"
                 "  resident memory it adds, and a Find over the whole tree. Runs offscreen\n"
                 "  unless QT_QPA_PLATFORM says otherwise.\n"
                 "  --maps DIR   map folder (default: the current directory)\n"
                 "  --runs N     timed runs (default 3; the median is printed)\n");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TreeWindowBenchmark::Options options;
    options.mapsDir = QDir::currentPath();
    const QStringList args = QApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--maps") && hasValue) {
            options.mapsDir = args.at(++i);
        } else if (arg == QLatin1String("--runs") && hasValue) {
            options.runs = qMax(1, args.at(++i).toInt());
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
    return TreeWindowBenchmark::run(options) ? 0 : 1;
}

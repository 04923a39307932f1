#include "BenchArguments.h"

#include <QDir>

BenchArguments::BenchArguments(QLatin1String countOption, int defaultCount)
    : countOption_(countOption)
    , mapsDir_(QDir::currentPath())
    , count_(defaultCount) {
}

bool BenchArguments::parse(const QStringList& args) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--maps") && hasValue) {
            mapsDir_ = args.at(++i);
        } else if (arg == countOption_ && hasValue) {
            count_ = qMax(1, args.at(++i).toInt());
        } else if (!arg.startsWith(QLatin1Char('-')) && otherFile_.isEmpty()) {
            (file_.isEmpty() ? file_ : otherFile_) = arg;
        } else {
            return false;
        }
    }
    return !file_.isEmpty();
}

#include "WcLines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>

double WcLines::seconds(const QString& file) {
    QProcess wc;
    wc.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    wc.start(QStringLiteral("wc"), {QStringLiteral("-l"), file});
    if (!wc.waitForFinished(600000) || wc.exitStatus() != QProcess::NormalExit)
        return -1;
    return double(clock.nsecsElapsed()) / 1e9;
}

double WcLines::median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double WcLines::least(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

double WcLines::load() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().split(' ').value(0).toDouble();
}

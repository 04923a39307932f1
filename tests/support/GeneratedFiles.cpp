#include "GeneratedFiles.h"

#include <QProcess>
#include <QRandomGenerator>
#include <iterator>

namespace {

bool run(QProcess& nsfgen, const QStringList& arguments) {
    nsfgen.start(QStringLiteral(NSFGEN),
                 QStringList{QStringLiteral("--maps"), QStringLiteral(MAPS_DIR)} + arguments);
    if (nsfgen.waitForFinished(60000) && nsfgen.exitStatus() == QProcess::NormalExit &&
        nsfgen.exitCode() == 0)
        return true;
    qWarning("nsfgen failed: %s", nsfgen.readAllStandardError().constData());
    return false;
}

} // namespace

QByteArray GeneratedFiles::generate(const QStringList& arguments) {
    QProcess nsfgen;
    if (!run(nsfgen, arguments))
        qFatal("nsfgen failed");
    return nsfgen.readAllStandardOutput();
}

bool GeneratedFiles::write(const QStringList& arguments, const QString& path) {
    QProcess nsfgen;
    return run(nsfgen, arguments + QStringList{QStringLiteral("--out"), path});
}

QByteArray GeneratedFiles::damaged(const QByteArray& bytes, quint32 seed, bool keepHeader) {
    QRandomGenerator random(seed);
    static const char* const kTypes[] = {"CA0", "XA0", "YA0", "ZA0", "BA0", "BA1",
                                         "AA0", "FA0", "DA1", "GZ9", "ca0"};
    const QList<QByteArray> lines = bytes.split('\n');
    QByteArray out;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i == 0 && keepHeader) {
            out += line + '\n';
            continue;
        }
        switch (random.bounded(14)) {
        case 0:
            continue; // dropped
        case 1:
            line = line.left(int(random.bounded(330))) + '\r';
            break;
        case 2:
            line.prepend('\n');
            break;
        case 3:
            line.replace(0, 3, kTypes[random.bounded(int(std::size(kTypes)))]);
            break;
        case 4:
            if (line.size() > 80)
                line[int(random.bounded(line.size() - 2))] = "X9 \xe9"[random.bounded(4)];
            break;
        case 5:
            out += line + '\n'; // doubled
            break;
        case 6:
            line.chop(1); // runs into the next line: no CR
            break;
        default:
            break;
        }
        out += line + '\n';
    }
    return out;
}

#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

// Runs the built quillmark-cli and keeps what it printed.
class CliRunner {
public:
    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
        // Standard output parsed as JSON; a null document when it is not JSON.
        QJsonDocument json() const;
        QString errText() const { return QString::fromUtf8(err); }
        QString outText() const { return QString::fromUtf8(out); }
    };

    // workingDir: where the tool starts (empty: the test's own).
    // stdoutFile: where standard output goes instead of being kept (e.g. /dev/full).
    static Result run(const QStringList& arguments, const QString& workingDir = QString(),
                      const QString& program = QString(), const QStringList& environment = {},
                      const QString& stdoutFile = QString());
    // Runs `sh -c script` with the tool's path as $0 and arguments as $1...:
    // for arguments that are no valid text, which the script makes with printf.
    static Result runShell(const QString& script, const QStringList& arguments);
    // The same with a copy of the tool in a folder of its own, so that it finds
    // no installed or source-tree maps beside it.
    static Result runCopy(const QStringList& arguments, const QString& workingDir,
                          const QStringList& environment = {});
    // The real maps folder and the tool's path, from the build.
    static QString mapsDir();
};

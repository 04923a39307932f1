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
    static Result run(const QStringList& arguments, const QString& workingDir = QString());
    // The real maps folder and the tool's path, from the build.
    static QString mapsDir();
};

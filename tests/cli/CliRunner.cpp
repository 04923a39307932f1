#include "CliRunner.h"

#include <QJsonParseError>
#include <QProcess>
#include <QtGlobal>

QJsonDocument CliRunner::Result::json() const {
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(out, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("output is not JSON: %s at %d", qPrintable(error.errorString()), error.offset);
    return document;
}

QString CliRunner::mapsDir() {
    return QStringLiteral(MAPS_DIR);
}

CliRunner::Result CliRunner::run(const QStringList& arguments, const QString& workingDir) {
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(QUILLMARK_CLI), arguments);
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning("quillmark-cli did not finish normally: %s", qPrintable(process.errorString()));
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

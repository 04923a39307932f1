#include "CliRunner.h"

#include <QFile>
#include <QJsonParseError>
#include <QProcess>
#include <QTemporaryDir>
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

CliRunner::Result CliRunner::runCopy(const QStringList& arguments, const QString& workingDir,
                                     const QStringList& environment) {
    QTemporaryDir bin;
    const QString copy = bin.filePath(QStringLiteral("quillmark-cli"));
    if (!QFile::copy(QStringLiteral(QUILLMARK_CLI), copy))
        qWarning("cannot copy quillmark-cli to %s", qPrintable(copy));
    return run(arguments, workingDir, copy, environment);
}

CliRunner::Result CliRunner::runShell(const QString& script, const QStringList& arguments) {
    return run(QStringList{QStringLiteral("-c"), script, QStringLiteral(QUILLMARK_CLI)} + arguments,
               QString(), QStringLiteral("/bin/sh"));
}

CliRunner::Result CliRunner::run(const QStringList& arguments, const QString& workingDir,
                                 const QString& program, const QStringList& environment,
                                 const QString& stdoutFile) {
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUILLMARK_MAPS"));
    for (const QString& variable : environment)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile, QIODevice::Append);
    process.start(program.isEmpty() ? QStringLiteral(QUILLMARK_CLI) : program, arguments);
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

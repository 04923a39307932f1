#include "CheckCommand.h"
#include "ClaimCommand.h"
#include "ClaimFile.h"
#include "CommandLine.h"
#include "EngineText.h"
#include "TreeCommand.h"
#include "core/Version.h"
#include "core/layouts/MapSearchPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

using namespace qm::cli;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    CommandLine commandLine;
    switch (commandLine.parse(QCoreApplication::arguments())) {
    case CommandLine::Outcome::ShowHelp:
        out << CommandLine::helpText();
        return kExitOk;
    case CommandLine::Outcome::ShowVersion: {
        out << "quillmark-cli " << qm::kVersionMajor << '.' << qm::kVersionMinor << '.'
            << qm::kVersionRevision << '\n';
        const std::string maps = qm::MapSearchPath::folderInUse(qm::MapSearchPath::forThisProcess(
            EngineText::toPath(commandLine.mapsDir()), EngineText::toPath(QDir::currentPath())));
        out << "Maps: "
            << (maps.empty() ? QStringLiteral("none found") : QFile::decodeName(maps.c_str()))
            << '\n';
        return kExitOk;
    }
    case CommandLine::Outcome::UsageError:
        err << "quillmark-cli: " << commandLine.error() << '\n' << CommandLine::usage();
        return kExitError;
    case CommandLine::Outcome::Run:
        break;
    }

    ClaimFile file;
    const bool opened = file.open(commandLine.file(), commandLine.mapsDir());
    for (const QString& line : file.errors())
        err << "quillmark-cli: " << line << '\n';
    for (const QString& line : file.notes())
        err << "quillmark-cli: " << line << '\n';
    err.flush();
    if (!opened)
        return kExitError;

    switch (commandLine.command()) {
    case CommandLine::Command::Tree:
        return TreeCommand::run(file, commandLine.json(), out);
    case CommandLine::Command::Claim:
        return ClaimCommand::run(file, commandLine.keys(), commandLine.json(), out, err);
    case CommandLine::Command::Check:
        return CheckCommand::run(file, commandLine.json(), out);
    }
    return kExitError;
}

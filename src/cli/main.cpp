#include "CheckCommand.h"
#include "ClaimCommand.h"
#include "ClaimFile.h"
#include "CommandLine.h"
#include "DiffCommand.h"
#include "LinesCommand.h"
#include "ListCommand.h"
#include "PdfOption.h"
#include "SearchCommand.h"
#include "SummaryCommand.h"
#include "TreeCommand.h"
#include "core/Version.h"
#include "core/common/FileText.h"
#include "core/layouts/MapSearchPath.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>

using namespace qm::cli;

namespace {

int runCommand(const CommandLine& commandLine, std::ostream& out) {
    // diff opens two files, and says which one a message is about.
    if (commandLine.command() == CommandLine::Command::Diff)
        return DiffCommand::run(commandLine, out, std::cerr);
    ClaimFile file;
    const bool opened =
        file.open(commandLine.file(), commandLine.mapsDir(), commandLine.lineEnds());
    for (const std::string& line : file.messages())
        std::cerr << "quillmark-cli: " << line << '\n';
    if (!opened)
        return kExitError;
    // The rules are bound to the file's map; tree weighs claims only to filter them.
    const CommandLine::Command command = commandLine.command();
    const bool weighsClaims =
        command == CommandLine::Command::Check || command == CommandLine::Command::Summary ||
        command == CommandLine::Command::List || command == CommandLine::Command::Lines ||
        (command == CommandLine::Command::Tree && !commandLine.filter().empty());
    if (weighsClaims && !commandLine.rules().load(file, std::cerr))
        return kExitError;
    switch (command) {
    case CommandLine::Command::Tree:
        return TreeCommand::run(file, commandLine.json(), commandLine.claimsOnly(),
                                commandLine.filter(), commandLine.jobs(), out, std::cerr);
    case CommandLine::Command::List:
        return ListCommand::run(file,
                                commandLine.json()  ? ListCommand::Format::Json
                                : commandLine.csv() ? ListCommand::Format::Csv
                                                    : ListCommand::Format::Text,
                                commandLine.filter(), commandLine.jobs(), out, std::cerr);
    case CommandLine::Command::Claim:
        return ClaimCommand::run(file, commandLine.keys(), commandLine.pcn(), commandLine.json(),
                                 commandLine.pdf(), out, std::cerr);
    case CommandLine::Command::Check:
        return CheckCommand::run(file, commandLine.json(), commandLine.problemsOnly(),
                                 commandLine.filter(), commandLine.jobs(),
                                 commandLine.rules().strict(), commandLine.pdf(), out, std::cerr);
    case CommandLine::Command::Search:
        return SearchCommand::run(file, commandLine.query(), commandLine.json(), commandLine.jobs(),
                                  commandLine.maxHits(), out, std::cerr);
    case CommandLine::Command::Summary:
        return SummaryCommand::run(file, commandLine.json(), commandLine.jobs(), out, std::cerr);
    case CommandLine::Command::Lines:
        return LinesCommand::run(file, commandLine.from(), commandLine.count(), commandLine.json(),
                                 commandLine.jobs(), out);
    case CommandLine::Command::Diff:
        break;
    }
    return kExitError;
}

} // namespace

int main(int argc, char* argv[]) {
    // A PDF is drawn with the fonts of the GUI library, which needs a
    // platform: the one that needs no display.
    std::unique_ptr<QCoreApplication> app;
    if (PdfOption::asked(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-cli"));
    std::ios::sync_with_stdio(false);
    std::ostream& out = std::cout;
    const std::vector<std::string> rawArguments(argv, argv + argc);

    CommandLine commandLine;
    int status = kExitOk;
    switch (commandLine.parse(QCoreApplication::arguments(), rawArguments)) {
    case CommandLine::Outcome::ShowHelp:
        out << CommandLine::helpText().toStdString();
        break;
    case CommandLine::Outcome::ShowVersion: {
        out << "quillmark-cli " << qm::kVersionMajor << '.' << qm::kVersionMinor << '.'
            << qm::kVersionRevision << '\n';
        const std::string maps = qm::MapSearchPath::folderInUse(qm::MapSearchPath::forThisProcess(
            commandLine.mapsDir(), qm::MapSearchPath::currentFolder()));
        out << "Maps: "
            << (maps.empty() ? std::string("none found")
                             : qm::FileText::toPrintable(qm::FileText::pathToUtf8(maps)))
            << '\n';
        break;
    }
    case CommandLine::Outcome::UsageError:
        std::cerr << "quillmark-cli: " << commandLine.error().toStdString() << '\n'
                  << CommandLine::usage().toStdString();
        return kExitError;
    case CommandLine::Outcome::Run:
        status = runCommand(commandLine, out);
        break;
    }
    // Output that did not reach its file (a full disk, a closed pipe) is a
    // failure, never a success.
    out.flush();
    if (!out || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno;
        std::cerr << "quillmark-cli: cannot write the output: "
                  << (error ? std::strerror(error) : "write error") << '\n';
        return kExitError;
    }
    return status;
}

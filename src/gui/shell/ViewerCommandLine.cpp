#include "gui/shell/ViewerCommandLine.h"

#include "core/Version.h"
#include "core/layouts/MapSearchPath.h"
#include "gui/common/CoreText.h"
#include "gui/common/MapSearch.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {

const QLatin1String
    kHelpBody("Shows an NSF (National Standard Format) health-claim file as a tree of file\n"
              "headers, batches and claims, and each claim record by record and field by\n"
              "field, without changing the file.\n"
              "\n"
              "Arguments:\n"
              "  FILE                  A claim file to open at start-up, as File > Open does.\n"
              "\n"
              "Options:\n"
              "  --maps DIR            Take the map files (nsf0200.map, nsf0301.map) from DIR\n"
              "                        and nowhere else: a DIR that is no folder is a usage\n"
              "                        error, a map missing from it is said when a file\n"
              "                        needs it. Without --maps: $QUILLMARK_MAPS, the folder\n"
              "                        current at start-up, <prefix>/share/quillmark/maps\n"
              "                        beside the program and, run from the build folder,\n"
              "                        the source tree's maps/.\n"
              "  -h, --help            Show this help.\n"
              "  -v, --version         Show the version and the map folder in use.\n"
              "\n"
              "Qt's own options, such as -platform NAME or -style NAME, are taken too.\n"
              "\n"
              "Exit status: 0 after the main window closed, 2 usage error.\n");

} // namespace

QString ViewerCommandLine::usage() {
    return QStringLiteral("Usage: quillmark [--maps DIR] [FILE]\n");
}

QString ViewerCommandLine::helpText() {
    return usage() + QLatin1Char('\n') + kHelpBody;
}

QString ViewerCommandLine::versionText(const QString& mapsDir) {
    return QStringLiteral("quillmark %1.%2.%3\n")
               .arg(qm::kVersionMajor)
               .arg(qm::kVersionMinor)
               .arg(qm::kVersionRevision) +
           MapSearch::line(MapSearch::forStart(mapsDir)) + QLatin1Char('\n');
}

ViewerCommandLine::Outcome ViewerCommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption mapsOption(QStringLiteral("maps"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({mapsOption, helpOption, versionOption});

    // Help and version win over whatever else is wrong, as in other programs.
    const bool parsed = parser.parse(arguments);
    mapsDir_ = parser.value(mapsOption);
    if (parser.isSet(helpOption))
        return Outcome::ShowHelp;
    if (parser.isSet(versionOption))
        return Outcome::ShowVersion;
    if (!parsed) {
        error_ = parser.errorText();
        return Outcome::UsageError;
    }
    if (parser.isSet(mapsOption) && mapsDir_.isEmpty()) {
        error_ = QStringLiteral("--maps needs a folder");
        return Outcome::UsageError;
    }
    // A folder that is not there would leave the maps to be found elsewhere.
    if (!mapsDir_.isEmpty()) {
        const std::string problem = qm::MapSearchPath::folderProblem(CoreText::fromPath(mapsDir_));
        if (!problem.empty()) {
            error_ = QStringLiteral("--maps %1: %2").arg(mapsDir_, CoreText::fromUtf8(problem));
            return Outcome::UsageError;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(positional.at(1));
        return Outcome::UsageError;
    }
    file_ = positional.value(0);
    return Outcome::Run;
}

int ViewerCommandLine::answer(Outcome outcome) const {
    switch (outcome) {
    case Outcome::ShowHelp:
        QTextStream(stdout) << helpText();
        return kExitOk;
    case Outcome::ShowVersion:
        QTextStream(stdout) << versionText(mapsDir_);
        return kExitOk;
    case Outcome::UsageError:
        QTextStream(stderr) << "quillmark: " << error_ << '\n' << usage();
        return kExitUsage;
    case Outcome::Run:
        break;
    }
    return kExitOk;
}

std::optional<int> ViewerCommandLine::answerBeforeWindows(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    ViewerCommandLine commandLine;
    const Outcome outcome = commandLine.parse(arguments);
    if (outcome == Outcome::ShowHelp || outcome == Outcome::ShowVersion)
        return commandLine.answer(outcome);
    return std::nullopt;
}

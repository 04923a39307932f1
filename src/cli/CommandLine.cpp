#include "CommandLine.h"

#include <QCommandLineParser>
#include <QFile>

namespace qm::cli {

namespace {

const QLatin1String kHelpBody(
    "Dissects an NSF claim file with the same engine as the Quillmark viewer.\n"
    "\n"
    "Commands:\n"
    "  tree FILE             The file tree: file headers (AA0), batches (BA0) and\n"
    "                        claims (CA0) in file order, each with its node key\n"
    "                        (record type and 1-based byte position, e.g. CA0645)\n"
    "                        and its text, then the batch and claim counts.\n"
    "  claim FILE KEY...     Clicks the file tree nodes KEY... in order, as the\n"
    "                        viewer does, in one session: the record store carries\n"
    "                        over from one click to the next. For each click prints\n"
    "                        the claim form's record tree and every record's fields\n"
    "                        (number, name, value, a '*' for a value that failed its\n"
    "                        check); for a claim also the trailer totals verdict.\n"
    "  check FILE            Checks every claim of the file in one pass, exactly as\n"
    "                        clicking each would, and prints per claim in tree order\n"
    "                        its key, text, the totals verdict (for totals that do\n"
    "                        not compute the XA0 fields with what the XA0 states and\n"
    "                        what the claim's records give), and the fields whose\n"
    "                        values failed their check; then a summary.\n"
    "\n"
    "Options:\n"
    "  --maps DIR            Folder of the map files nsf0200.map and nsf0301.map,\n"
    "                        looked in first. Then come $QUILLMARK_MAPS, the\n"
    "                        current directory, the installed maps\n"
    "                        (<prefix>/share/quillmark/maps) and, for a program\n"
    "                        run from its build folder, the source tree's maps/.\n"
    "  --jobs N              check: read the file with N threads (default: one per\n"
    "                        processor core); the output is the same.\n"
    "  --json                Print JSON instead of text:\n"
    "                        tree:  {\"file\", \"version\", \"nodes\": [{\"index\" (1-based),\n"
    "                               \"key\", \"text\", \"parent\" (a key or null)}],\n"
    "                               \"batches\", \"claims\"}\n"
    "                        claim: [{\"key\", \"rt\", \"totals_checked\", \"totals_ok\",\n"
    "                               \"totals_state\", \"xa0_present\", \"unreadable\",\n"
    "                               \"comparisons\":\n"
    "                               [{\"id\", \"name\", \"found\", \"expected\", \"match\"}],\n"
    "                               \"messages\": [{\"text\", \"title\", \"icon\"}],\n"
    "                               \"nodes\": [{\"key\", \"parent\"}],\n"
    "                               \"records\": {NODE_KEY: {\"type\", \"occurrence\",\n"
    "                               \"line\", \"line_cut\", \"fields\": [{\"slot\", \"id\",\n"
    "                               \"name\", \"value\", \"valid\", \"codes\", \"start\",\n"
    "                               \"end\", \"length\"}]}}}]\n"
    "                        check: {\"claims\": [{\"key\", \"text\", \"totals_ok\",\n"
    "                               \"totals_state\", \"xa0_present\", \"unreadable\",\n"
    "                               \"mismatched\": [ids], \"mismatches\": [{\"id\",\n"
    "                               \"name\", \"found\", \"expected\"}], \"invalid\":\n"
    "                               [{\"node\", \"id\", \"name\", \"value\"}]}],\n"
    "                               \"summary\": {\"claims\", \"totals_failed\",\n"
    "                               \"with_invalid_fields\", \"not_checked\"}}\n"
    "  -h, --help            Show this help.\n"
    "  -v, --version         Show the version.\n"
    "\n"
    "Values are printed as stored, untrimmed in JSON; in text, control characters\n"
    "are shown escaped (\\n, \\x1b). File bytes are read as Windows-1252. A\n"
    "totals state is ok, do_not_compute, no_trailer (the claim had no XA0 of its\n"
    "own: nothing compared), could_not_check (the map lacks XA0 fields the check\n"
    "compares) or not_a_claim. In a comparison, found is the XA0's value and\n"
    "expected the count or sum the claim's records give. In check, XA0 fields\n"
    "whose totals did not match are listed under the totals verdict, not again\n"
    "among the invalid fields.\n"
    "\n"
    "Exit status: 0 success (check: every claim passed both checks), 1 check found\n"
    "a claim that failed, 2 usage error, unreadable or unrecognised file, map\n"
    "failure, unknown node key or output that could not be written (the reason\n"
    "goes to standard error), 3 check found no failure but some totals could not\n"
    "be checked or some claims could not be read.\n");

} // namespace

QString CommandLine::usage() {
    return QStringLiteral("Usage: quillmark-cli [--maps DIR] [--json] tree FILE\n"
                          "       quillmark-cli [--maps DIR] [--json] claim FILE KEY [KEY...]\n"
                          "       quillmark-cli [--maps DIR] [--json] [--jobs N] check FILE\n");
}

QString CommandLine::helpText() {
    return usage() + QLatin1Char('\n') + kHelpBody;
}

CommandLine::Outcome CommandLine::parse(const QStringList& arguments,
                                        const std::vector<std::string>& rawArguments) {
    // The bytes behind a decoded argument: the first unused one that decodes to it.
    std::vector<bool> used(std::size_t(arguments.size()), false);
    auto raw = [&](const QString& value) {
        for (qsizetype i = 1; i < arguments.size(); ++i) {
            if (!used[std::size_t(i)] && arguments.at(i) == value &&
                std::size_t(i) < rawArguments.size()) {
                used[std::size_t(i)] = true;
                return rawArguments[std::size_t(i)];
            }
        }
        return QFile::encodeName(value).toStdString();
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption mapsOption(QStringLiteral("maps"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption jobsOption(QStringLiteral("jobs"), QString(), QStringLiteral("N"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({mapsOption, jsonOption, jobsOption, helpOption, versionOption});

    if (!parser.parse(arguments)) {
        error_ = parser.errorText();
        return Outcome::UsageError;
    }

    json_ = parser.isSet(jsonOption);
    if (parser.isSet(mapsOption)) {
        if (parser.value(mapsOption).isEmpty()) {
            error_ = QStringLiteral("--maps needs a folder");
            return Outcome::UsageError;
        }
        mapsDir_ = raw(parser.value(mapsOption));
    }
    // --version names the map folder in use, so it reads --maps first.
    if (parser.isSet(helpOption))
        return Outcome::ShowHelp;
    if (parser.isSet(versionOption))
        return Outcome::ShowVersion;
    if (parser.isSet(jobsOption)) {
        bool ok = false;
        jobs_ = parser.value(jobsOption).toInt(&ok);
        if (!ok || jobs_ < 1 || jobs_ > 256) {
            error_ = QStringLiteral("--jobs needs a number from 1 to 256");
            return Outcome::UsageError;
        }
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no command given");
        return Outcome::UsageError;
    }
    const QString name = positional.takeFirst();
    if (name == QLatin1String("tree")) {
        command_ = Command::Tree;
    } else if (name == QLatin1String("claim")) {
        command_ = Command::Claim;
    } else if (name == QLatin1String("check")) {
        command_ = Command::Check;
    } else {
        error_ = QStringLiteral("unknown command '%1'").arg(name);
        return Outcome::UsageError;
    }
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no FILE given");
        return Outcome::UsageError;
    }
    file_ = raw(positional.takeFirst());
    keys_ = positional;
    if (command_ == Command::Claim && keys_.isEmpty()) {
        error_ = QStringLiteral("claim needs at least one node KEY");
        return Outcome::UsageError;
    }
    if (command_ != Command::Claim && !keys_.isEmpty()) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(keys_.first());
        return Outcome::UsageError;
    }
    return Outcome::Run;
}

} // namespace qm::cli

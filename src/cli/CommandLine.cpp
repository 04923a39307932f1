#include "CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

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
    "  check FILE            Clicks every claim of the file in tree order and prints\n"
    "                        per claim its key, text, the totals verdict with the XA0\n"
    "                        field numbers that did not match, and the fields whose\n"
    "                        values failed their check; then a summary.\n"
    "\n"
    "Options:\n"
    "  --maps DIR            Folder of the map files nsf0200.map and nsf0301.map,\n"
    "                        looked in first. Then come $QUILLMARK_MAPS, the\n"
    "                        current directory, the installed maps\n"
    "                        (<prefix>/share/quillmark/maps) and, for a program\n"
    "                        run from its build folder, the source tree's maps/.\n"
    "  --json                Print JSON instead of text:\n"
    "                        tree:  {\"file\", \"version\", \"nodes\": [{\"index\" (1-based),\n"
    "                               \"key\", \"text\", \"parent\" (a key or null)}],\n"
    "                               \"batches\", \"claims\"}\n"
    "                        claim: [{\"key\", \"rt\", \"totals_checked\", \"totals_ok\",\n"
    "                               \"messages\": [{\"text\", \"title\", \"icon\"}],\n"
    "                               \"nodes\": [{\"key\", \"parent\"}],\n"
    "                               \"records\": {NODE_KEY: {\"type\", \"occurrence\",\n"
    "                               \"line\", \"fields\": [{\"slot\", \"id\", \"name\",\n"
    "                               \"value\", \"valid\", \"codes\", \"start\", \"end\",\n"
    "                               \"length\"}]}}}]\n"
    "                        check: {\"claims\": [{\"key\", \"text\", \"totals_ok\",\n"
    "                               \"mismatched\": [ids], \"invalid\": [{\"node\", \"id\",\n"
    "                               \"name\"}]}], \"summary\": {\"claims\",\n"
    "                               \"totals_failed\", \"with_invalid_fields\"}}\n"
    "  -h, --help            Show this help.\n"
    "  -v, --version         Show the version.\n"
    "\n"
    "Values are printed as stored, untrimmed in JSON. In check, XA0 fields whose\n"
    "totals did not match are listed under the totals verdict, not again among the\n"
    "invalid fields.\n"
    "\n"
    "Exit status: 0 success (check: every claim passed both checks), 1 check found\n"
    "a claim that failed, 2 usage error, unreadable or unrecognised file, map\n"
    "failure or unknown node key (the reason goes to standard error).\n");

} // namespace

QString CommandLine::usage() {
    return QStringLiteral("Usage: quillmark-cli [--maps DIR] [--json] tree FILE\n"
                          "       quillmark-cli [--maps DIR] [--json] claim FILE KEY [KEY...]\n"
                          "       quillmark-cli [--maps DIR] [--json] check FILE\n");
}

QString CommandLine::helpText() {
    return usage() + QLatin1Char('\n') + kHelpBody;
}

CommandLine::Outcome CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption mapsOption(QStringLiteral("maps"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({mapsOption, jsonOption, helpOption, versionOption});

    if (!parser.parse(arguments)) {
        error_ = parser.errorText();
        return Outcome::UsageError;
    }
    if (parser.isSet(helpOption))
        return Outcome::ShowHelp;
    if (parser.isSet(versionOption))
        return Outcome::ShowVersion;

    json_ = parser.isSet(jsonOption);
    mapsDir_ = parser.value(mapsOption);
    if (parser.isSet(mapsOption) && mapsDir_.isEmpty()) {
        error_ = QStringLiteral("--maps needs a folder");
        return Outcome::UsageError;
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
    file_ = positional.takeFirst();
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

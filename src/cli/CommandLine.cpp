#include "CommandLine.h"

#include "CommandHelp.h"
#include "FilterHelp.h"
#include "RulesHelp.h"
#include "core/layouts/MapSearchPath.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <functional>

namespace qm::cli {

QString CommandLine::usage() {
    return QStringLiteral(
        "Usage: quillmark-cli [--maps DIR] [--json] tree FILE [--claims] [--filter EXPR]\n"
        "       quillmark-cli [--maps DIR] [--json|--csv] [--jobs N] list FILE\n"
        "                     [--filter EXPR]\n"
        "       quillmark-cli [--maps DIR] [--json] claim FILE KEY [KEY...]\n"
        "       quillmark-cli [--maps DIR] [--json] claim FILE [KEY...] --pcn PCN\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] check FILE\n"
        "                     [--problems-only] [--filter EXPR] [--strict]\n"
        "       quillmark-cli [--maps DIR] claim|check FILE ... --pdf OUT.pdf\n"
        "                     [--paper a4|letter] [--max-pages N]\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] search FILE TEXT\n"
        "                     [--field ID|NAME] [--type RT] [--exact|--regex|--number]\n"
        "                     [--max-hits N]\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] summary FILE\n"
        "       quillmark-cli [--maps DIR] [--json] diff A B [--match pcn|position]\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] lines FILE [--from N]\n"
        "                     [--count M]\n"
        "       (check, summary, list, tree, lines: [--rules FILE]... [--no-integrity])\n"
        "       (every command: [--lf-lines])\n");
}

QString CommandLine::helpText() {
    return usage() + QLatin1Char('\n') + QLatin1String(CommandHelp::text()) + QLatin1Char('\n') +
           QString::fromUtf8(PdfOption::help()) + QLatin1Char('\n') +
           QString::fromUtf8(FilterHelp::text()) + QLatin1Char('\n') +
           QString::fromUtf8(RulesHelp::text());
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
    const QCommandLineOption lfLinesOption(QStringLiteral("lf-lines"));
    const QCommandLineOption jobsOption(QStringLiteral("jobs"), QString(), QStringLiteral("N"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption fieldOption(QStringLiteral("field"), QString(), QStringLiteral("ID"));
    const QCommandLineOption typeOption(QStringLiteral("type"), QString(), QStringLiteral("RT"));
    const QCommandLineOption exactOption(QStringLiteral("exact"));
    const QCommandLineOption regexOption(QStringLiteral("regex"));
    const QCommandLineOption numberOption(QStringLiteral("number"));
    const QCommandLineOption problemsOnlyOption(QStringLiteral("problems-only"));
    const QCommandLineOption maxHitsOption(QStringLiteral("max-hits"), QString(),
                                           QStringLiteral("N"));
    const QCommandLineOption pcnOption(QStringLiteral("pcn"), QString(), QStringLiteral("PCN"));
    const QCommandLineOption claimsOption(QStringLiteral("claims"));
    const QCommandLineOption matchOption(QStringLiteral("match"), QString(), QStringLiteral("HOW"));
    const QCommandLineOption filterOption(QStringLiteral("filter"), QString(),
                                          QStringLiteral("EXPR"));
    const QCommandLineOption csvOption(QStringLiteral("csv"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QString(), QStringLiteral("N"));
    const QCommandLineOption countOption(QStringLiteral("count"), QString(), QStringLiteral("M"));
    parser.addOptions({mapsOption,    jsonOption,   jobsOption,         helpOption,
                       versionOption, fieldOption,  typeOption,         exactOption,
                       regexOption,   numberOption, problemsOnlyOption, maxHitsOption,
                       pcnOption,     claimsOption, matchOption,        filterOption,
                       csvOption,     fromOption,   countOption,        lfLinesOption});
    parser.addOptions(PdfOption::options());
    parser.addOptions(RulesOption::options());

    if (!parser.parse(arguments)) {
        error_ = parser.errorText();
        return Outcome::UsageError;
    }

    json_ = parser.isSet(jsonOption);
    if (parser.isSet(lfLinesOption))
        lineEnds_ = SequentialFile::LineEnds::AlsoLf;
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
    if (parseFolderAndJobs(parser) != Outcome::Run)
        return Outcome::UsageError;
    return parseCommand(parser, raw);
}

// The values of --maps and --jobs, checked.
CommandLine::Outcome CommandLine::parseFolderAndJobs(const QCommandLineParser& parser) {
    // A folder that is not there would leave the maps to be found elsewhere.
    if (!mapsDir_.empty()) {
        const std::string problem = MapSearchPath::folderProblem(mapsDir_);
        if (!problem.empty()) {
            error_ =
                QStringLiteral("--maps %1: %2")
                    .arg(parser.value(QStringLiteral("maps")), QString::fromStdString(problem));
            return Outcome::UsageError;
        }
    }
    if (parser.isSet(QStringLiteral("jobs"))) {
        bool ok = false;
        jobs_ = parser.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || jobs_ < 1 || jobs_ > 256) {
            error_ = QStringLiteral("--jobs needs a number from 1 to 256");
            return Outcome::UsageError;
        }
    }
    return Outcome::Run;
}

// The command, its FILE (and diff's B), then its options.
CommandLine::Outcome
CommandLine::parseCommand(const QCommandLineParser& parser,
                          const std::function<std::string(const QString&)>& raw) {
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no command given");
        return Outcome::UsageError;
    }
    const QString name = positional.takeFirst();
    const std::pair<const char*, Command> commands[] = {
        {"tree", Command::Tree},     {"claim", Command::Claim},     {"check", Command::Check},
        {"search", Command::Search}, {"summary", Command::Summary}, {"diff", Command::Diff},
        {"list", Command::List},     {"lines", Command::Lines}};
    const auto named =
        std::find_if(std::begin(commands), std::end(commands),
                     [&name](const auto& c) { return name == QLatin1String(c.first); });
    if (named == std::end(commands)) {
        error_ = QStringLiteral("unknown command '%1'").arg(name);
        return Outcome::UsageError;
    }
    command_ = named->second;
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no FILE given");
        return Outcome::UsageError;
    }
    file_ = raw(positional.takeFirst());
    if (command_ == Command::Diff) {
        if (positional.isEmpty()) {
            error_ = QStringLiteral("diff needs two files, A and B");
            return Outcome::UsageError;
        }
        otherFile_ = raw(positional.takeFirst());
    }
    return parseCommandOptions(parser, positional, raw);
}

CommandLine::Outcome
CommandLine::parseCommandOptions(const QCommandLineParser& parser, QStringList positional,
                                 const std::function<std::string(const QString&)>& raw) {
    auto only = [this](const char* option, const char* commands) {
        error_ = QStringLiteral("--%1 is for %2 only")
                     .arg(QLatin1String(option), QLatin1String(commands));
        return Outcome::UsageError;
    };
    if (parser.isSet(QStringLiteral("match"))) {
        const QString how = parser.value(QStringLiteral("match"));
        if (command_ != Command::Diff)
            return only("match", "diff");
        if (how != QLatin1String("pcn") && how != QLatin1String("position")) {
            error_ = QStringLiteral("--match needs pcn or position");
            return Outcome::UsageError;
        }
        match_ = how == QLatin1String("position") ? FileComparison::Match::Position
                                                  : FileComparison::Match::ControlNumber;
    }
    problemsOnly_ = parser.isSet(QStringLiteral("problems-only"));
    if (problemsOnly_ && command_ != Command::Check)
        return only("problems-only", "check");
    if (!pdf_.parse(parser, command_ == Command::Claim || command_ == Command::Check, json_,
                    problemsOnly_, raw, error_))
        return Outcome::UsageError;
    if (parser.isSet(QStringLiteral("pcn"))) {
        if (command_ != Command::Claim)
            return only("pcn", "claim");
        pcn_ = raw(parser.value(QStringLiteral("pcn")));
        if (pcn_.find_first_not_of(' ') == std::string::npos) {
            error_ = QStringLiteral("--pcn needs a patient control number");
            return Outcome::UsageError;
        }
    }
    claimsOnly_ = parser.isSet(QStringLiteral("claims"));
    if (claimsOnly_ && command_ != Command::Tree)
        return only("claims", "tree");
    csv_ = parser.isSet(QStringLiteral("csv"));
    if (csv_ && command_ != Command::List)
        return only("csv", "list");
    if (csv_ && json_) {
        error_ = QStringLiteral("--json and --csv exclude each other");
        return Outcome::UsageError;
    }
    if (parser.isSet(QStringLiteral("filter"))) {
        if (command_ != Command::List && command_ != Command::Tree && command_ != Command::Check)
            return only("filter", "list, tree and check");
        // The expression as typed, in the bytes it came in.
        filter_ = raw(parser.value(QStringLiteral("filter")));
        if (filter_.find_first_not_of(" \t") == std::string::npos) {
            error_ = QStringLiteral("--filter needs an expression");
            return Outcome::UsageError;
        }
    }
    if (parseLineRange(parser) != Outcome::Run)
        return Outcome::UsageError;
    const bool weighsClaims = command_ == Command::Check || command_ == Command::Summary ||
                              command_ == Command::List || command_ == Command::Tree ||
                              command_ == Command::Lines;
    if (!rules_.parse(parser, weighsClaims, command_ == Command::Check, raw, error_))
        return Outcome::UsageError;
    if (command_ == Command::Search)
        return parseSearch(parser, positional, raw);
    for (const char* option : {"field", "type", "exact", "regex", "number", "max-hits"})
        if (parser.isSet(QLatin1String(option)))
            return only(option, "search");
    // A key names a record type in capitals and a position: "ca04831" is CA04831.
    for (const QString& key : std::as_const(positional))
        keys_.append(command_ == Command::Claim ? key.toUpper() : key);
    if (command_ == Command::Claim && keys_.isEmpty() && pcn_.empty()) {
        error_ = QStringLiteral("claim needs at least one node KEY, or --pcn PCN");
        return Outcome::UsageError;
    }
    if (command_ != Command::Claim && !keys_.isEmpty()) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(keys_.first());
        return Outcome::UsageError;
    }
    return Outcome::Run;
}

// lines --from N --count M: whole numbers of 1 or more, for lines only.
CommandLine::Outcome CommandLine::parseLineRange(const QCommandLineParser& parser) {
    for (const auto& [option, value] :
         {std::pair<const char*, std::int64_t*>{"from", &from_}, {"count", &count_}}) {
        if (!parser.isSet(QLatin1String(option)))
            continue;
        if (command_ != Command::Lines) {
            error_ = QStringLiteral("--%1 is for lines only").arg(QLatin1String(option));
            return Outcome::UsageError;
        }
        bool ok = false;
        *value = parser.value(QLatin1String(option)).toLongLong(&ok);
        if (!ok || *value < 1) {
            error_ =
                QStringLiteral("--%1 needs a whole number of 1 or more").arg(QLatin1String(option));
            return Outcome::UsageError;
        }
    }
    return Outcome::Run;
}

CommandLine::Outcome
CommandLine::parseSearch(const QCommandLineParser& parser, QStringList positional,
                         const std::function<std::string(const QString&)>& raw) {
    if (positional.isEmpty()) {
        error_ = QStringLiteral("search needs a TEXT to look for");
        return Outcome::UsageError;
    }
    if (positional.size() > 1) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(positional.at(1));
        return Outcome::UsageError;
    }
    const bool exact = parser.isSet(QStringLiteral("exact"));
    const bool regex = parser.isSet(QStringLiteral("regex"));
    const bool number = parser.isSet(QStringLiteral("number"));
    if (int(exact) + int(regex) + int(number) > 1) {
        error_ = QStringLiteral("--exact, --regex and --number exclude each other");
        return Outcome::UsageError;
    }
    // The text as typed, in the bytes it came in: it need not be UTF-8.
    query_.text = raw(positional.first());
    query_.mode = exact    ? SearchQuery::Mode::Exact
                  : regex  ? SearchQuery::Mode::Regex
                  : number ? SearchQuery::Mode::Number
                           : SearchQuery::Mode::Contains;
    if (parser.isSet(QStringLiteral("max-hits"))) {
        bool ok = false;
        maxHits_ = parser.value(QStringLiteral("max-hits")).toLongLong(&ok);
        if (!ok || maxHits_ < 1) {
            error_ = QStringLiteral("--max-hits needs a whole number of 1 or more");
            return Outcome::UsageError;
        }
    }
    query_.field = parser.value(QStringLiteral("field")).toStdString();
    query_.recordType = parser.value(QStringLiteral("type")).toStdString();
    std::string error;
    if (number && !query_.setComparison(query_.text, error)) {
        error_ = QString::fromStdString(error);
        return Outcome::UsageError;
    }
    return Outcome::Run;
}

} // namespace qm::cli

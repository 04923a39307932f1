#pragma once

#include "PdfOption.h"
#include "RulesOption.h"
#include "core/compare/FileComparison.h"
#include "core/io/SequentialFile.h"
#include "core/search/SearchQuery.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCommandLineParser;

namespace qm::cli {

// Exit statuses: everything checked passed (search: a field matched; diff:
// the files are the same) / check found a problem (search: nothing matched;
// diff: the files differ) / the command could not run
// (usage, unreadable or unrecognised file, unknown key, a search the file's
// map cannot answer, output that could not be written) / check: nothing was
// wrong, but something could not be checked or read, or the file changed
// while it was read.
constexpr int kExitOk = 0;
constexpr int kExitChecksFailed = 1;
constexpr int kExitNothingFound = 1;
constexpr int kExitFilesDiffer = 1;
constexpr int kExitError = 2;
constexpr int kExitNotChecked = 3;

// The arguments of one run: a command, its claim file and node keys, and the
// options that apply to all commands.
class CommandLine {
public:
    enum class Command { Tree, Claim, Check, Search, Summary, Diff, List, Lines };
    enum class Outcome { Run, ShowHelp, ShowVersion, UsageError };

    // arguments as QCoreApplication::arguments() gives them (program name
    // first); rawArguments the same as the bytes of argv, from which paths are
    // taken, so that a name that is not valid UTF-8 still names its file.
    Outcome parse(const QStringList& arguments, const std::vector<std::string>& rawArguments);

    Command command() const { return command_; }
    // The claim file's path in the file system's own bytes (diff: file A).
    const std::string& file() const { return file_; }
    // diff: file B, and how its claims pair with A's (--match).
    const std::string& otherFile() const { return otherFile_; }
    FileComparison::Match match() const { return match_; }
    // claim: node keys, their record types in capitals whatever was typed.
    const QStringList& keys() const { return keys_; }
    // claim --pcn PCN: also every claim that carries this patient control
    // number (file bytes); empty when not given.
    const std::string& pcn() const { return pcn_; }
    // tree --claims: the claims only, with their patients in columns.
    bool claimsOnly() const { return claimsOnly_; }
    // The --maps folder, looked in first for map files; empty when not given.
    const std::string& mapsDir() const { return mapsDir_; }
    // --lf-lines: every file read ends its lines at LF as well as at CR LF.
    SequentialFile::LineEnds lineEnds() const { return lineEnds_; }
    bool json() const { return json_; }
    // check, search and summary --jobs N: worker threads; 0 for one per core.
    int jobs() const { return jobs_; }
    // check --problems-only: only what has a problem, then the summary.
    bool problemsOnly() const { return problemsOnly_; }
    // list --csv: comma-separated values instead of text.
    bool csv() const { return csv_; }
    // list, tree and check --filter EXPR: the expression as typed (its bytes);
    // empty when not given.
    const std::string& filter() const { return filter_; }
    // search: its TEXT and the options that say how and where to look.
    const SearchQuery& query() const { return query_; }
    // search --max-hits N: stop after the claim whose fields bring the
    // matches to N; 0 for no limit.
    std::int64_t maxHits() const { return maxHits_; }
    // claim and check --pdf OUT.pdf, with its paper and pages.
    const PdfOption& pdf() const { return pdf_; }

    // lines --from N --count M: the first line listed and how many.
    std::int64_t from() const { return from_; }
    std::int64_t count() const { return count_; }
    // --rules FILE, --no-integrity and --strict.
    const RulesOption& rules() const { return rules_; }

    // Why parse() returned UsageError.
    const QString& error() const { return error_; }
    static QString usage();
    static QString helpText();

private:
    Outcome parseFolderAndJobs(const QCommandLineParser& parser);
    Outcome parseCommand(const QCommandLineParser& parser,
                         const std::function<std::string(const QString&)>& raw);
    // The options that belong to some commands only, and the node keys.
    Outcome parseCommandOptions(const QCommandLineParser& parser, QStringList positional,
                                const std::function<std::string(const QString&)>& raw);
    Outcome parseLineRange(const QCommandLineParser& parser);
    Outcome parseSearch(const QCommandLineParser& parser, QStringList positional,
                        const std::function<std::string(const QString&)>& raw);

    Command command_ = Command::Tree;
    std::string file_;
    std::string otherFile_;
    FileComparison::Match match_ = FileComparison::Match::ControlNumber;
    QStringList keys_;
    std::string pcn_;
    bool claimsOnly_ = false;
    std::string mapsDir_;
    SequentialFile::LineEnds lineEnds_ = SequentialFile::LineEnds::CrOrCrLf;
    bool json_ = false;
    int jobs_ = 0;
    bool problemsOnly_ = false;
    bool csv_ = false;
    std::string filter_;
    SearchQuery query_;
    std::int64_t maxHits_ = 0;
    PdfOption pdf_;
    std::int64_t from_ = 1;
    std::int64_t count_ = 100;
    RulesOption rules_;
    QString error_;
};

} // namespace qm::cli

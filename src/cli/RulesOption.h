#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class QCommandLineOption;
class QCommandLineParser;

namespace qm::cli {

class ClaimFile;

// --rules FILE (repeatable), --no-integrity and --strict: the rules the
// whole-file check weighs claims by besides the format's own checks (the
// integrity edits beside the map, unless --no-integrity, then each FILE in
// the order given), and whether their warnings and notes fail check too.
class RulesOption {
public:
    static QList<QCommandLineOption> options();

    // Reads the options; false, with the usage error, when one is given to
    // a command it is not for. weighsClaims: the command runs the check
    // (check, summary, list, tree); isCheck: the command is check.
    bool parse(const QCommandLineParser& parser, bool weighsClaims, bool isCheck,
               const std::function<std::string(const QString&)>& raw, QString& error);

    // The rules files, as typed (file system bytes).
    const std::vector<std::string>& files() const { return files_; }
    bool integrity() const { return integrity_; }
    bool strict() const { return strict_; }

    // Loads the rules into file, bound to its map. Integrity edits that do
    // not load are left out with a warning on err; a FILE that does not
    // load is an error: false, with its file, line and column on err.
    bool load(ClaimFile& file, std::ostream& err) const;

private:
    std::vector<std::string> files_;
    bool integrity_ = true;
    bool strict_ = false;
};

} // namespace qm::cli

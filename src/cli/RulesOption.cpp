#include "RulesOption.h"

#include "ClaimFile.h"
#include "core/common/FileText.h"
#include "core/rules/RuleSet.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace qm::cli {

QList<QCommandLineOption> RulesOption::options() {
    return {QCommandLineOption(QStringLiteral("rules"), QString(), QStringLiteral("FILE")),
            QCommandLineOption(QStringLiteral("no-integrity")),
            QCommandLineOption(QStringLiteral("strict"))};
}

bool RulesOption::parse(const QCommandLineParser& parser, bool weighsClaims, bool isCheck,
                        const std::function<std::string(const QString&)>& raw, QString& error) {
    integrity_ = !parser.isSet(QStringLiteral("no-integrity"));
    strict_ = parser.isSet(QStringLiteral("strict"));
    for (const char* option : {"rules", "no-integrity"}) {
        if (parser.isSet(QLatin1String(option)) && !weighsClaims) {
            error = QStringLiteral("--%1 is for check, summary, list and tree only")
                        .arg(QLatin1String(option));
            return false;
        }
    }
    if (strict_ && !isCheck) {
        error = QStringLiteral("--strict is for check only");
        return false;
    }
    files_.clear();
    for (const QString& path : parser.values(QStringLiteral("rules"))) {
        if (path.isEmpty()) {
            error = QStringLiteral("--rules needs a rules file");
            return false;
        }
        files_.push_back(raw(path));
    }
    return true;
}

bool RulesOption::load(ClaimFile& file, std::ostream& err) const {
    RuleSet::Builder builder(file.layouts());
    RulesError error;
    if (integrity_ && !builder.addIntegrity(error))
        err << "quillmark-cli: warning: " << FileText::printableUtf8(error.message())
            << " (the integrity edits are left out)\n";
    for (const std::string& path : files_) {
        if (!builder.addFile(path, error)) {
            err << "quillmark-cli: --rules: " << FileText::printableUtf8(error.message()) << '\n';
            return false;
        }
    }
    std::shared_ptr<const RuleSet> rules = builder.finish();
    file.setRules(rules->rules().empty() ? nullptr : rules);
    return true;
}

} // namespace qm::cli

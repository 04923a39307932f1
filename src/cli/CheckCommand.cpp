#include "CheckCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "EngineText.h"
#include "JsonText.h"
#include "RecordView.h"
#include "core/claim/NodeClick.h"
#include "core/layouts/Module1.h"

#include <QJsonArray>
#include <QTextStream>
#include <algorithm>

namespace qm::cli {

int CheckCommand::run(ClaimFile& file, bool json, QTextStream& out) {
    const FileTree& tree = file.tree();
    std::int64_t claims = 0, totalsFailed = 0, withInvalid = 0;
    if (json)
        out << "{\n\"claims\": [";
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        const Verdict verdict = judge(file, node, NodeClick(file.module(), tree, node));
        if (json)
            out << (claims == 0 ? "\n" : ",\n") << toJson(verdict);
        else
            printText(verdict, out);
        ++claims;
        totalsFailed += verdict.totalsOk ? 0 : 1;
        withInvalid += verdict.invalid.empty() ? 0 : 1;
    }
    if (json) {
        const QJsonObject summary{
            {QStringLiteral("claims"), static_cast<qint64>(claims)},
            {QStringLiteral("totals_failed"), static_cast<qint64>(totalsFailed)},
            {QStringLiteral("with_invalid_fields"), static_cast<qint64>(withInvalid)},
        };
        out << "\n],\n\"summary\": " << JsonText::compact(summary) << "\n}\n";
    } else {
        out << "Claims: " << claims << ", totals not computing: " << totalsFailed
            << ", with invalid fields: " << withInvalid << '\n';
    }
    return totalsFailed == 0 && withInvalid == 0 ? kExitOk : kExitChecksFailed;
}

CheckCommand::Verdict CheckCommand::judge(ClaimFile& file, std::int64_t node,
                                          const ClickResult& click) {
    const FileTree& tree = file.tree();
    Verdict verdict;
    verdict.key = tree.key(node);
    verdict.text = EngineText::fromBytes(tree.text(node));
    verdict.totalsOk = click.totalsOk;
    verdict.trailerRead = file.module().XA0ReadThisClick;
    verdict.mismatched = click.mismatched;
    for (const ClaimFormNode& formNode : click.nodes) {
        const RecordView record(file.module(), formNode.key);
        for (int slot = 1; slot <= record.fieldCount(); ++slot) {
            if (record.fieldValid(slot))
                continue;
            const std::string id(record.fieldId(slot));
            // A trailer total that did not match is the totals verdict's, not a value check's.
            if (record.type() == "XA0" &&
                std::find(verdict.mismatched.begin(), verdict.mismatched.end(), id) !=
                    verdict.mismatched.end())
                continue;
            verdict.invalid.push_back({formNode.key, id, std::string(record.fieldName(slot))});
        }
    }
    return verdict;
}

void CheckCommand::printText(const Verdict& verdict, QTextStream& out) {
    out << EngineText::fromBytes(verdict.key) << "  " << verdict.text << '\n';
    if (verdict.totalsOk) {
        // The viewer says nothing about a claim without a trailer; a report should.
        out << (verdict.trailerRead ? "  totals: ok\n"
                                    : "  totals: ok (no XA0: nothing compared)\n");
    } else {
        out << "  totals: do not compute, XA0 fields";
        for (const std::string& id : verdict.mismatched)
            out << ' ' << EngineText::fromBytes(id);
        out << '\n';
    }
    for (const InvalidField& field : verdict.invalid)
        out << "  invalid: " << EngineText::fromBytes(field.node) << ' '
            << EngineText::fromBytes(field.id) << ' ' << EngineText::fromBytes(field.name) << '\n';
}

QString CheckCommand::toJson(const Verdict& verdict) {
    QJsonArray mismatched;
    for (const std::string& id : verdict.mismatched)
        mismatched.append(EngineText::fromBytes(id));
    QJsonArray invalid;
    for (const InvalidField& field : verdict.invalid)
        invalid.append(QJsonObject{
            {QStringLiteral("node"), EngineText::fromBytes(field.node)},
            {QStringLiteral("id"), EngineText::fromBytes(field.id)},
            {QStringLiteral("name"), EngineText::fromBytes(field.name)},
        });
    return JsonText::compact({
        {QStringLiteral("key"), EngineText::fromBytes(verdict.key)},
        {QStringLiteral("text"), verdict.text},
        {QStringLiteral("totals_ok"), verdict.totalsOk},
        {QStringLiteral("mismatched"), mismatched},
        {QStringLiteral("invalid"), invalid},
    });
}

} // namespace qm::cli

#include "ClaimCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "EngineText.h"
#include "JsonText.h"
#include "RecordView.h"
#include "core/claim/NodeClick.h"
#include "core/claim/TotalsCheck.h"
#include "core/layouts/Module1.h"

#include <QJsonArray>
#include <QTextStream>
#include <map>

namespace qm::cli {

namespace {

// The claim form's record tree, children under their parents in insertion order.
void printNodes(const std::vector<ClaimFormNode>& nodes, const std::string& parent, int depth,
                QTextStream& out) {
    for (const ClaimFormNode& node : nodes) {
        if (node.parent != parent)
            continue;
        out << QString(2 + 2 * depth, QLatin1Char(' ')) << EngineText::fromBytes(node.key) << '\n';
        printNodes(nodes, node.key, depth + 1, out);
    }
}

} // namespace

int ClaimCommand::run(ClaimFile& file, const QStringList& keys, bool json, QTextStream& out,
                      QTextStream& err) {
    const FileTree& tree = file.tree();
    // Every key is looked up before the first click, so that a typo prints
    // nothing rather than half of the answer.
    std::vector<std::int64_t> nodes;
    for (const QString& key : keys) {
        const std::string bytes = key.toLatin1().toStdString();
        const auto node = tree.findKey(bytes);
        // findKey reads the position as a number; the key must also be spelt as the tree spells it.
        if (!node || tree.key(*node) != bytes) {
            err << "quillmark-cli: unknown node key " << key
                << ": no such node in the file tree of " << file.path() << '\n';
            return kExitError;
        }
        nodes.push_back(*node);
    }

    if (json)
        out << "[\n";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ClickResult click = NodeClick(file.module(), tree, nodes[i]);
        if (json) {
            out << toJson(file, keys[static_cast<qsizetype>(i)], click)
                << (i + 1 < nodes.size() ? ",\n" : "\n");
        } else {
            printText(file, keys[static_cast<qsizetype>(i)], click, out);
        }
    }
    if (json)
        out << "]\n";
    return kExitOk;
}

QString ClaimCommand::toJson(ClaimFile& file, const QString& key, const ClickResult& click) {
    QJsonArray messages;
    if (!click.totalsOk)
        messages.append(EngineText::messageJson(totalsMessage()));
    QJsonArray nodes;
    QJsonObject records;
    for (const ClaimFormNode& node : click.nodes) {
        const QString nodeKey = EngineText::fromBytes(node.key);
        nodes.append(QJsonObject{
            {QStringLiteral("key"), nodeKey},
            {QStringLiteral("parent"), node.parent.empty()
                                           ? QJsonValue(QJsonValue::Null)
                                           : QJsonValue(EngineText::fromBytes(node.parent))},
        });
        const RecordView record(file.module(), node.key);
        if (record.isValid())
            records.insert(nodeKey, record.toJson());
    }
    const QJsonObject object{
        {QStringLiteral("key"), key},
        {QStringLiteral("rt"), EngineText::fromBytes(click.RT)},
        {QStringLiteral("totals_checked"), click.totalsChecked},
        {QStringLiteral("totals_ok"), click.totalsOk},
        {QStringLiteral("messages"), messages},
        {QStringLiteral("nodes"), nodes},
        {QStringLiteral("records"), records},
    };
    return JsonText::indented(object, QStringLiteral("  "));
}

void ClaimCommand::printText(ClaimFile& file, const QString& key, const ClickResult& click,
                             QTextStream& out) {
    const FileTree& tree = file.tree();
    const std::int64_t node = *tree.findKey(key.toLatin1().toStdString());
    out << "== " << key << "  " << EngineText::fromBytes(tree.text(node)) << '\n';
    if (click.totalsChecked) {
        if (click.totalsOk) {
            out << (file.module().XA0ReadThisClick ? "Totals: ok\n"
                                                   : "Totals: ok (no XA0: nothing compared)\n");
        } else {
            out << "Totals: " << EngineText::messageLine(totalsMessage()) << " (fields";
            for (const std::string& id : click.mismatched)
                out << ' ' << EngineText::fromBytes(id);
            out << ")\n";
        }
    }
    out << "Records:\n";
    printNodes(click.nodes, std::string(), 0, out);
    for (const ClaimFormNode& formNode : click.nodes) {
        const RecordView record(file.module(), formNode.key);
        if (!record.isValid())
            continue;
        out << '\n' << EngineText::fromBytes(formNode.key) << '\n';
        record.printTable(out);
    }
    out << '\n';
}

} // namespace qm::cli

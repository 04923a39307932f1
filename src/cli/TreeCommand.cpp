#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "EngineText.h"
#include "JsonText.h"

#include <QJsonValue>
#include <QTextStream>

namespace qm::cli {

int TreeCommand::run(ClaimFile& file, bool json, QTextStream& out) {
    if (json)
        printJson(file, out);
    else
        printText(file, out);
    return kExitOk;
}

void TreeCommand::printText(ClaimFile& file, QTextStream& out) {
    const FileTree& tree = file.tree();
    out << "NSF File Tree (" << file.path() << ")\n";
    out << "Version: " << EngineText::fromBytes(file.versionCode()) << '\n';
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        int depth = 0;
        for (std::int64_t p = tree.parent(node); p != FileTree::kNoNode; p = tree.parent(p))
            ++depth;
        out << QString(2 * depth, QLatin1Char(' ')) << EngineText::fromBytes(tree.key(node)) << "  "
            << EngineText::fromBytes(tree.text(node)) << '\n';
    }
    // The texts of the viewer's status bar.
    out << "BA0 Count: " << tree.BatchCount << '\n';
    out << "CA0 Count: " << tree.ClaimCount << '\n';
}

void TreeCommand::printJson(ClaimFile& file, QTextStream& out) {
    const FileTree& tree = file.tree();
    out << "{\n\"file\": " << JsonText::string(file.path())
        << ",\n\"version\": " << JsonText::string(EngineText::fromBytes(file.versionCode()))
        << ",\n\"nodes\": [";
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        const std::int64_t parent = tree.parent(node);
        const QJsonObject object{
            {QStringLiteral("index"), static_cast<qint64>(node + 1)},
            {QStringLiteral("key"), EngineText::fromBytes(tree.key(node))},
            {QStringLiteral("text"), EngineText::fromBytes(tree.text(node))},
            {QStringLiteral("parent"), parent == FileTree::kNoNode
                                           ? QJsonValue(QJsonValue::Null)
                                           : QJsonValue(EngineText::fromBytes(tree.key(parent)))},
        };
        out << (node == 0 ? "\n" : ",\n") << JsonText::compact(object);
    }
    out << "\n],\n\"batches\": " << tree.BatchCount << ",\n\"claims\": " << tree.ClaimCount
        << "\n}\n";
}

} // namespace qm::cli

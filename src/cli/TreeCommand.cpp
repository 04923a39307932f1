#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/common/FileText.h"
#include "core/report/JsonWriter.h"

namespace qm::cli {

int TreeCommand::run(ClaimFile& file, bool json, std::ostream& out) {
    const FileTree& tree = file.tree();
    FileTree::TextBuffer text; // node texts are put together here, not allocated
    if (!json) {
        out << "NSF File Tree (" << FileText::toPrintable(FileText::pathToUtf8(file.path()))
            << ")\n";
        out << "Version: " << FileText::toPrintable(file.result().versionCode) << '\n';
        std::string line;
        for (std::int64_t node = 0; node < tree.size(); ++node) {
            int depth = 0;
            for (std::int64_t p = tree.parent(node); p != FileTree::kNoNode; p = tree.parent(p))
                ++depth;
            line.assign(std::size_t(2 * depth), ' ');
            line += tree.key(node);
            line += "  ";
            FileText::appendPrintable(line, tree.text(node, text));
            line += '\n';
            out << line;
        }
        // The texts of the viewer's status bar.
        out << "BA0 Count: " << tree.BatchCount << '\n';
        out << "CA0 Count: " << tree.ClaimCount << '\n';
        return kExitOk;
    }
    out << "{\n\"file\": ";
    JsonWriter::writeString(out, FileText::pathToUtf8(file.path()));
    out << ",\n\"version\": ";
    JsonWriter(out).fileString(file.result().versionCode);
    out << ",\n\"nodes\": [";
    JsonWriter writer(out); // back at the top level after each node
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        out << (node == 0 ? "\n" : ",\n");
        const std::int64_t parent = tree.parent(node);
        writer.beginObject()
            .key("index")
            .value(node + 1)
            .key("key")
            .value(tree.key(node))
            .key("text")
            .fileString(tree.text(node, text))
            .key("parent");
        if (parent == FileTree::kNoNode)
            writer.null();
        else
            writer.value(tree.key(parent));
        writer.endObject();
    }
    out << "\n],\n\"batches\": " << tree.BatchCount << ",\n\"claims\": " << tree.ClaimCount
        << "\n}\n";
    return kExitOk;
}

} // namespace qm::cli

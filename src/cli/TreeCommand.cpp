#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/common/FileText.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

namespace qm::cli {

namespace {

// Columns of tree --claims: a key of a file of terabytes, a patient's name
// as the node text gives it (20 + 2 + 12 characters).
constexpr std::size_t kKeyWidth = 16;
constexpr std::size_t kNameWidth = 34;

void writeClaimRows(const FileTree& tree, std::ostream& out) {
    out << ReportText::padded("Key", kKeyWidth) << ReportText::padded("Patient", kNameWidth)
        << "  Control Number\n";
    std::string line;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        line = ReportText::padded(tree.key(node), kKeyWidth);
        line += ReportText::padded(FileText::toPrintable(tree.patientName(node)), kNameWidth);
        line += "  ";
        FileText::appendPrintable(line, tree.controlNumber(node));
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

} // namespace

int TreeCommand::run(ClaimFile& file, bool json, bool claimsOnly, std::ostream& out) {
    const FileTree& tree = file.tree();
    FileTree::TextBuffer text; // node texts are put together here, not allocated
    if (!json) {
        out << "NSF File Tree (" << FileText::toPrintable(FileText::pathToUtf8(file.path()))
            << ")\n";
        out << "Version: " << FileText::toPrintable(file.result().versionCode) << '\n';
        std::string line;
        for (std::int64_t node = 0; node < tree.size() && !claimsOnly; ++node) {
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
        if (claimsOnly)
            writeClaimRows(tree, out);
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
    bool first = true;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (claimsOnly && tree.recordType(node) != "CA0")
            continue;
        out << (first ? "\n" : ",\n");
        first = false;
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
        if (claimsOnly)
            writer.key("patient")
                .fileString(tree.patientName(node))
                .key("control_number")
                .fileString(tree.controlNumber(node));
        writer.endObject();
    }
    out << "\n],\n\"batches\": " << tree.BatchCount << ",\n\"claims\": " << tree.ClaimCount
        << "\n}\n";
    return kExitOk;
}

} // namespace qm::cli

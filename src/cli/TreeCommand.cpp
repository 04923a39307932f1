#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/NodeParents.h"
#include "core/filetree/TreeScan.h"
#include "core/report/BlockOutput.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <cstring>
#include <string>

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

// The claims alone, with their patients and control numbers, from the tree.
void writeClaimsJson(const FileTree& tree, JsonWriter& writer) {
    static const JsonShape kClaim({"index", "key", "text", "parent", "patient", "control_number"});
    FileTree::TextBuffer text; // node texts are put together here, not allocated
    bool first = true;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        writer.raw(first ? "\n" : ",\n");
        first = false;
        writer.beginObject(kClaim)
            .value(node + 1)
            .plainValue(tree.key(node))
            .fileString(tree.text(node, text));
        const std::int64_t parent = tree.parent(node);
        if (parent == FileTree::kNoNode)
            writer.null();
        else
            writer.plainValue(tree.key(parent));
        writer.fileString(tree.patientName(node)).fileString(tree.controlNumber(node)).endObject();
    }
}

// One node of the listing as JSON, the index-th: its index, key, text and
// parent's key, the keys put together in place.
void writeNodeJson(JsonWriter& writer, std::int64_t index, std::int64_t position,
                   const NodeText::Fields& fields, const NodeParents::Place& place,
                   NodeText& text) {
    static const JsonShape kNode({"index", "key", "text", "parent"});
    char key[FileTree::kKeyRoom];
    writer.raw(index == 1 ? "\n" : ",\n");
    const char* end = FileTree::writeKey(key, NodeText::recordType(fields.shape), position);
    writer.beginObject(kNode)
        .value(index)
        .plainValue(std::string_view(key, std::size_t(end - key)))
        .fileString(text.make(fields));
    if (place.parent < 0) {
        writer.null();
    } else {
        end = FileTree::writeKey(key, NodeText::recordType(place.parentShape), place.parent);
        writer.plainValue(std::string_view(key, std::size_t(end - key)));
    }
    writer.endObject();
}

// One line of the listing: indent, key, text. Ten million of them go out
// for a big file, so a plain line is put together here and appended once;
// appending its pieces one by one cost more than reading the file.
void appendNodeLine(std::string& out, int depth, std::int64_t position,
                    const NodeText::Fields& fields, NodeText& text) {
    // Indent, "CA0", the digits of a 64-bit position, two blanks, the text, a newline.
    char line[8 + FileTree::kKeyRoom + 2 + NodeText::kRoom + 1];
    char* p = line;
    std::memset(p, ' ', 8); // at most four ancestors' worth; the key overwrites the rest
    p = FileTree::writeKey(p + 2 * depth, NodeText::recordType(fields.shape), position);
    *p++ = ' ';
    *p++ = ' ';
    if (NodeText::isPlain(fields)) {
        p = NodeText::write(fields, p);
        *p++ = '\n';
        out.append(line, std::size_t(p - line));
        return;
    }
    out.append(line, std::size_t(p - line));
    FileText::appendPrintable(out, text.make(fields));
    out += '\n';
}

} // namespace

int TreeCommand::run(ClaimFile& file, bool json, bool claimsOnly, std::ostream& out) {
    // The whole tree as one reading of the file meets it, in file order: a
    // listing needs no tree in memory. A node is known by its position here,
    // and its text and line are put together at the end of what is to be
    // written, a block at a time.
    NodeParents parents;
    NodeText text;
    std::int64_t nodes = 0, batches = 0, claims = 0;
    auto count = [&](NodeText::Shape shape) {
        ++nodes;
        claims += shape == NodeText::kClaim ? 1 : 0;
        batches += shape != NodeText::kClaim && shape != NodeText::kHeader ? 1 : 0;
    };
    auto noTrailers = [](char, std::int64_t) {
    };
    if (!json) {
        BlockOutput output(out);
        std::string& line = output.text();
        line +=
            "NSF File Tree (" + FileText::toPrintable(FileText::pathToUtf8(file.path())) + ")\n";
        line += "Version: " + FileText::toPrintable(file.result().versionCode) + '\n';
        if (claimsOnly) {
            output.flush();
            const FileTree& tree = file.tree();
            writeClaimRows(tree, out);
            batches = tree.BatchCount;
            claims = tree.ClaimCount;
        } else {
            TreeScan::run(
                file.file(), nullptr,
                [&](std::int64_t position, const NodeText::Fields& fields) {
                    const NodeParents::Place place = parents.meet(fields.shape, position);
                    count(fields.shape);
                    appendNodeLine(line, place.depth, position, fields, text);
                    output.done();
                },
                noTrailers);
        }
        // The texts of the viewer's status bar.
        line += "BA0 Count: " + std::to_string(batches) + '\n';
        line += "CA0 Count: " + std::to_string(claims) + '\n';
        return kExitOk;
    }
    JsonWriter writer(out);
    writer.raw("{\n\"file\": ").value(FileText::pathToUtf8(file.path()));
    writer.raw(",\n\"version\": ").fileString(file.result().versionCode);
    writer.raw(",\n\"nodes\": [");
    if (claimsOnly) {
        const FileTree& tree = file.tree();
        writeClaimsJson(tree, writer);
        batches = tree.BatchCount;
        claims = tree.ClaimCount;
    } else {
        TreeScan::run(
            file.file(), nullptr,
            [&](std::int64_t position, const NodeText::Fields& fields) {
                const NodeParents::Place place = parents.meet(fields.shape, position);
                count(fields.shape);
                writeNodeJson(writer, nodes, position, fields, place, text);
            },
            noTrailers);
    }
    writer.raw("\n],\n\"batches\": " + std::to_string(batches) +
               ",\n\"claims\": " + std::to_string(claims) + "\n}\n");
    return kExitOk;
}

} // namespace qm::cli

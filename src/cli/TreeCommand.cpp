#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/NodeParents.h"
#include "core/filetree/TreeScan.h"
#include "core/report/BlockOutput.h"
#include "core/report/JsonWriter.h"

#include <string>

namespace qm::cli {

int TreeCommand::run(ClaimFile& file, bool json, std::ostream& out) {
    // The tree as one reading of the file meets it, in file order: a listing
    // needs no tree in memory. A node is known by its position here, and
    // its text and line are put together at the end of what is to be
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
        TreeScan::run(
            file.file(), nullptr,
            [&](std::int64_t position, const NodeText::Fields& fields) {
                const NodeParents::Place place = parents.meet(fields.shape, position);
                count(fields.shape);
                line.append(std::size_t(2 * place.depth), ' ');
                FileTree::appendKey(line, fields.shape, position);
                line += "  ";
                FileText::appendPrintable(line, text.make(fields));
                line += '\n';
                output.done();
            },
            noTrailers);
        // The texts of the viewer's status bar.
        line += "BA0 Count: " + std::to_string(batches) + '\n';
        line += "CA0 Count: " + std::to_string(claims) + '\n';
        return kExitOk;
    }
    JsonWriter writer(out);
    writer.raw("{\n\"file\": ").value(FileText::pathToUtf8(file.path()));
    writer.raw(",\n\"version\": ").fileString(file.result().versionCode);
    writer.raw(",\n\"nodes\": [");
    std::string key;
    TreeScan::run(
        file.file(), nullptr,
        [&](std::int64_t position, const NodeText::Fields& fields) {
            const NodeParents::Place place = parents.meet(fields.shape, position);
            count(fields.shape);
            writer.raw(nodes == 1 ? "\n" : ",\n");
            key.clear();
            FileTree::appendKey(key, fields.shape, position);
            writer.beginObject()
                .key("index")
                .value(nodes)
                .key("key")
                .value(key)
                .key("text")
                .fileString(text.make(fields))
                .key("parent");
            if (place.parent < 0) {
                writer.null();
            } else {
                key.clear();
                FileTree::appendKey(key, place.parentShape, place.parent);
                writer.value(key);
            }
            writer.endObject();
        },
        noTrailers);
    writer.raw("\n],\n\"batches\": " + std::to_string(batches) +
               ",\n\"claims\": " + std::to_string(claims) + "\n}\n");
    return kExitOk;
}

} // namespace qm::cli

#include "core/filetree/TreeBuilder.h"

#include "core/common/RecordLine.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

namespace qm {

FileTree BuildTree(SequentialFile& file) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();
    std::int64_t currentAA0 = FileTree::kNoNode;
    std::int64_t currentBA0 = FileTree::kNoNode;
    NodeText text;

    file.seek(1);
    file.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position))
            return;
        const std::string_view type = line.substr(0, 3);
        if (type[1] != 'A' || type[2] != '0')
            return; // none of AA0, BA0, CA0, YA0, ZA0
        if (type == "AA0") {
            currentAA0 = tree.addNode('A', position, FileTree::kNoNode, text.make('A', line));
        } else if (type == "BA0") {
            // A batch before any file header becomes a root: nothing in the file is hidden.
            currentBA0 = tree.addNode('B', position, currentAA0, text.make('B', line));
            ++tree.BatchCount;
        } else if (type == "CA0") {
            tree.addNode('C', position, currentBA0, text.make('C', line));
            ++tree.ClaimCount;
        } else if (type == "YA0" || type == "ZA0") {
            tree.trailers.add(type[0], lineStart);
        }
    });
    tree.trailers.complete = true;
    tree.finish();
    return tree;
}

} // namespace qm

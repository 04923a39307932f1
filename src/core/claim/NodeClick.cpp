#include "core/claim/NodeClick.h"

#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimAssembler.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"

namespace qm {

namespace {

bool lookUpBA1(const LayoutCatalogue& layouts, ClaimAssembler& assembler,
               std::int64_t batchPosition) {
    if (!assembler.ReadRecordAt(BatchSecondLine::position(layouts, batchPosition), "BA1"))
        return false;
    const RecordStore::Slot* slot = assembler.store().get(recordTypeIndex("BA1"), 1);
    return slot && BatchSecondLine::isOne(layouts, slot->line);
}

} // namespace

AssembledClaim NodeClick(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                         const FileTree& tree, std::int64_t node) {
    if (node < 0 || node >= tree.size())
        return {};
    const std::string type(tree.recordType(node));
    const std::int64_t position = tree.position(node);
    const std::int64_t parent = tree.parent(node);
    const std::int64_t grandparent = parent >= 0 ? tree.parent(parent) : FileTree::kNoNode;
    ClaimAssembler assembler(layouts, file, &tree.trailers);

    if (type == "AA0") {
        assembler.ReadRecordAt(position, "AA0");
        assembler.addNode("AA0", "");
    } else if (type == "BA0") {
        assembler.ReadRecordAt(position, "BA0");
        // A batch before any file header has no AA0 to show.
        if (parent >= 0) {
            assembler.ReadRecordAt(tree.position(parent), "AA0");
            assembler.addNode("AA0", "");
        }
        assembler.addNode("BA0", "AA0");
        if (lookUpBA1(*layouts, assembler, position))
            assembler.addNode("BA1", "AA0");
    } else {
        if (parent >= 0)
            assembler.ReadRecordAt(tree.position(parent), "BA0");
        if (grandparent >= 0) {
            assembler.ReadRecordAt(tree.position(grandparent), "AA0");
            assembler.addNode("AA0", "");
        }
        if (parent >= 0) {
            assembler.addNode("BA0", "AA0");
            if (lookUpBA1(*layouts, assembler, tree.position(parent)))
                assembler.addNode("BA1", "BA0");
        }
        assembler.AssembleClaim(position);
    }
    return assembler.result(type, type == "CA0");
}

AssembledClaim NodeClick(OpenClaimFile& file, std::int64_t node) {
    if (!file.tree())
        return {};
    return NodeClick(file.reader(), file.layouts(), *file.tree(), node);
}

} // namespace qm

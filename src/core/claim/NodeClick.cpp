#include "core/claim/NodeClick.h"

#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimAssembler.h"
#include "core/claim/ClaimFrame.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"

namespace qm {

namespace {

bool lookUpBA1(const LayoutCatalogue& layouts, ClaimAssembler& assembler, SequentialFile& file,
               std::int64_t batchPosition) {
    const std::int64_t at = BatchSecondLine::position(file, batchPosition);
    if (at < 0 || !assembler.ReadRecordAt(at, "BA1"))
        return false;
    const RecordStore::Slot* slot = assembler.store().get(recordTypeIndex("BA1"), 1);
    return slot && BatchSecondLine::isOne(layouts, slot->line);
}

// A click, and with trailerPosition > 0 the node's trailer read there.
AssembledClaim click(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     const FileTree& tree, std::int64_t node, std::int64_t trailerPosition) {
    if (node < 0 || node >= tree.size())
        return {};
    const std::string type(tree.recordType(node));
    const std::int64_t position = tree.position(node);
    const std::int64_t parent = tree.parent(node);
    const std::int64_t grandparent = parent >= 0 ? tree.parent(parent) : FileTree::kNoNode;
    auto at = [&tree](std::int64_t n) {
        return n >= 0 ? tree.position(n) : -1;
    };
    ClaimAssembler assembler(layouts, file, &tree.trailers);

    ClaimFrame frame;
    if (type == "AA0")
        frame = ClaimFrame::above(ClaimFrame::Node::FileHeader, position, -1);
    else if (type == "BA0")
        frame = ClaimFrame::above(ClaimFrame::Node::Batch, at(parent), position);
    else
        frame = ClaimFrame::above(ClaimFrame::Node::Claim, at(grandparent), at(parent));
    const bool claim = type == "CA0";
    for (const ClaimFrame::Record& record : frame) {
        if (record.lookUp) {
            if (lookUpBA1(*layouts, assembler, file, record.position))
                assembler.addNode(std::string(record.type), std::string(record.parent));
            continue;
        }
        // A header that is no longer where the tree had it: the file changed.
        if (!assembler.readRecordOfType(record.position, record.type) && claim)
            assembler.markUnreadable();
        assembler.addNode(std::string(record.type), std::string(record.parent));
    }
    if (claim)
        assembler.AssembleClaim(position);
    if (trailerPosition > 0 && !claim) {
        const ClaimFrame::Record& trailer =
            type == "BA0" ? ClaimFrame::kBatchTrailer : ClaimFrame::kFileTrailer;
        assembler.readRecordOfType(trailerPosition, trailer.type);
        assembler.addNode(std::string(trailer.type), std::string(trailer.parent));
    }
    return assembler.result(type, claim);
}

} // namespace

AssembledClaim NodeClick(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                         const FileTree& tree, std::int64_t node) {
    return click(file, std::move(layouts), tree, node, 0);
}

AssembledClaim NodeClick(OpenClaimFile& file, std::int64_t node) {
    return NodeClick(file, node, 0);
}

AssembledClaim NodeClick(OpenClaimFile& file, std::int64_t node, std::int64_t trailerPosition) {
    if (!file.tree())
        return {};
    return click(file.reader(), file.layouts(), *file.tree(), node, trailerPosition);
}

} // namespace qm

#include "core/claim/NodeClick.h"

#include "core/claim/ClaimAssembler.h"
#include "core/claim/TotalsCheck.h"
#include "core/filetree/FileTree.h"
#include "core/layouts/Module1.h"

namespace qm {

namespace {

// The batch header's second line follows it directly: its position is the
// batch's plus the BA0 record length (the last BA0 field's end) plus CR LF.
bool lookUpBA1(Module1& m, ClaimAssembler& assembler, std::int64_t batchPosition) {
    const RecordLayout* ba0 = m.RecordLayouts.find("BA0");
    const int last = ba0->Info.FieldCount;
    const std::int64_t at = batchPosition + ba0->Fields[static_cast<std::size_t>(last)].EndPos + 2;
    // Only a line read now can be this batch's BA1; an old value in the
    // store says nothing about this batch.
    if (!assembler.ReadRecordAt(at, "BA1"))
        return false;
    const RecordLayout* ba1 = m.RecordLayouts.find("BA1");
    return ba1->Info.FieldCount >= 1 && ba1->Fields[1].Values[1] == "BA1";
}

} // namespace

ClickResult NodeClick(Module1& m, const FileTree& tree, std::int64_t node) {
    ClickResult result;
    SequentialFile* file = m.Files.get(m.FileNumber);
    if (!file) {
        result.noFileOpen = true;
        return result;
    }
    for (int i = 0; i < kRecordTypeCount; ++i)
        m.RecordLayouts.at(i).Info.Occurrence = 0;
    m.Totals = ClaimTotals();
    m.XA0ReadThisClick = false;
    if (node < 0 || node >= tree.size())
        return result;

    const std::string type(tree.recordType(node));
    const std::int64_t position = tree.position(node);
    const std::int64_t parent = tree.parent(node);
    const std::int64_t grandparent = parent >= 0 ? tree.parent(parent) : FileTree::kNoNode;
    ClaimAssembler assembler(m, *file, &tree.trailers);

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
        if (lookUpBA1(m, assembler, position))
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
            if (lookUpBA1(m, assembler, tree.position(parent)))
                assembler.addNode("BA1", "BA0");
        }
        assembler.AssembleClaim(position);
        result.totalsChecked = true;
        result.totalsOk = CheckClaimTotals(m, &result.mismatched);
    }
    result.acted = true;
    result.RT = type;
    result.nodes = std::move(assembler.nodes());
    return result;
}

} // namespace qm

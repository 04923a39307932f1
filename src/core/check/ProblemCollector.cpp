#include "core/check/ProblemCollector.h"

#include "core/filetree/FileTree.h"

#include <utility>

namespace qm {

void ProblemCollector::batch(const FileCheck::Batch& batch) {
    batch_ = batch.index;
    batchPosition_ = batch.position;
}

void ProblemCollector::claim(const FileCheck::Claim& claim) {
    claim_ = claim.index;
    claimNode_ = -1;
    if (claim.rows.empty())
        return;
    // A claim the tree does not have (the file changed) has rows and no node.
    if (const auto node = tree_.findNode("CA0", claim.position))
        claimNode_ = *node;
    for (const ProblemRow& row : claim.rows)
        add(row);
}

void ProblemCollector::trailer(const FileCheck::Trailer& trailer) {
    for (const ProblemRow& row : trailer.rows)
        add(row);
}

void ProblemCollector::problem(const ProblemRow& row) {
    if (row.problem.claim >= 0 && row.problem.claim == claim_ && claimNode_ < 0) {
        if (const auto node = tree_.findNode("CA0", row.problem.position))
            claimNode_ = *node;
    }
    add(row);
}

void ProblemCollector::add(const ProblemRow& row) {
    const Problem& p = row.problem;
    pending_.add(row, p.batch >= 0 && p.batch == batch_ ? batchPosition_ : 0,
                 p.claim >= 0 && p.claim == claim_ ? claimNode_ : -1);
}

ProblemStore::Pending ProblemCollector::take() {
    return std::exchange(pending_, ProblemStore::Pending());
}

} // namespace qm

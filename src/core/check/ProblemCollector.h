#pragma once

#include "core/check/FileCheck.h"
#include "core/check/ProblemStore.h"

#include <cstdint>

namespace qm {

class FileTree;

// Gathers every row a whole-file check hands on, in file order, for a
// ProblemStore numbered by `tree`: each row with where its batch's BA0
// begins and the tree node of its claim. Runs where the check hands on (a
// worker); what it gathered is taken a batch at a time.
class ProblemCollector : public FileCheck::Consumer {
public:
    explicit ProblemCollector(const FileTree& tree)
        : tree_(tree) {}

    void batch(const FileCheck::Batch& batch) override;
    void claim(const FileCheck::Claim& claim) override;
    void trailer(const FileCheck::Trailer& trailer) override;
    void problem(const ProblemRow& row) override;

    // The rows gathered since the last take.
    const ProblemStore::Pending& pending() const { return pending_; }
    ProblemStore::Pending take();

private:
    void add(const ProblemRow& row);

    const FileTree& tree_;
    ProblemStore::Pending pending_;
    std::int64_t batch_ = -1; // the batch begun last, and where its BA0 begins
    std::int64_t batchPosition_ = 0;
    std::int64_t claim_ = -1; // the claim handed on last, and its node
    std::int64_t claimNode_ = -1;
};

} // namespace qm

#pragma once

#include "core/check/ChunkStatistics.h"
#include "core/check/FileCheck.h"
#include "core/check/FileStatistics.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace qm {

class ClaimRules;
class ClaimVisitor;

// Gathers a file's statistics during the whole-file check: its workers'
// visitors add up each chunk, the chunks are merged in file order as the
// check hands them on, and the check's rows are counted on their way to the
// consumer they are meant for.
class StatisticsGatherer : public FileCheck::Consumer {
public:
    StatisticsGatherer(FileCheck::Consumer& next, std::size_t chunkCount);

    // A worker's visitor: the check's own, with the statistics taken alongside.
    std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                          std::unique_ptr<ClaimVisitor> check);
    // The chunk's figures, in file order; they are dropped once merged.
    void take(std::size_t chunk);
    // The figures of every chunk taken.
    FileStatistics finish();

    void batch(const FileCheck::Batch& batch) override;
    void claim(const FileCheck::Claim& claim) override;
    void trailer(const FileCheck::Trailer& trailer) override;
    void problem(const ProblemRow& row) override;

private:
    void count(const FileCheck::Rows& rows);
    void count(const Problem& problem);

    FileCheck::Consumer& next_;
    std::vector<ChunkStatistics> chunks_;
    FileStatistics figures_;
    bool batchOpen_ = false; // the last batch taken has had no YA0
    std::vector<std::int64_t> batchProblems_;
    std::unordered_map<std::uint64_t, ChunkStatistics::Procedure> procedures_;
};

} // namespace qm

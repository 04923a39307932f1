#pragma once

#include "core/check/ChunkFindings.h"

#include <mutex>
#include <vector>

namespace qm {

// Findings whose chunk has been handed on, emptied but keeping their memory,
// for the chunks still to read (any thread). Fresh buffers for every chunk
// cost a page fault for every page they fill and a copy at every growth: a
// quarter of the check's time on a file where every claim has a problem.
// The pass keeps only a few chunks in hand, so the pool stays as small.
class ChunkFindingsPool {
public:
    ChunkFindings take();
    void give(ChunkFindings&& findings);

private:
    std::mutex mutex_;
    std::vector<ChunkFindings> spare_;
};

} // namespace qm

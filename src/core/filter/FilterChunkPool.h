#pragma once

#include "core/filter/FilterChunk.h"

#include <mutex>
#include <vector>

namespace qm {

// What the filter found in chunks already handed on, emptied but keeping its
// memory, for the chunks still to read (any thread): fresh vectors for every
// chunk cost a page fault for every page they fill and a copy at every
// growth, a tenth of a filtered pass.
class FilterChunkPool {
public:
    FilterChunk take();
    void give(FilterChunk&& chunk);

private:
    std::mutex mutex_;
    std::vector<FilterChunk> spare_;
};

} // namespace qm

#include "core/filter/FilterChunkPool.h"

#include <utility>

namespace qm {

FilterChunk FilterChunkPool::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty())
        return {};
    FilterChunk chunk = std::move(spare_.back());
    spare_.pop_back();
    return chunk;
}

void FilterChunkPool::give(FilterChunk&& chunk) {
    chunk.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(chunk));
}

} // namespace qm

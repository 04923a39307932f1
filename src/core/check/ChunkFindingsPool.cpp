#include "core/check/ChunkFindingsPool.h"

#include <utility>

namespace qm {

ChunkFindings ChunkFindingsPool::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty())
        return {};
    ChunkFindings findings = std::move(spare_.back());
    spare_.pop_back();
    return findings;
}

void ChunkFindingsPool::give(ChunkFindings&& findings) {
    findings.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(findings));
}

} // namespace qm

#include "core/lines/ProblemLineIndex.h"

#include "core/check/ProblemStore.h"

#include <algorithm>
#include <limits>

namespace qm {

std::shared_ptr<const ProblemLineIndex>
ProblemLineIndex::build(std::shared_ptr<const ProblemStore> store,
                        const std::atomic<bool>* cancel) {
    auto index = std::make_shared<ProblemLineIndex>();
    const std::int64_t rows = store ? store->size() : 0;
    const std::size_t chunks = std::size_t((rows + kChunkRows - 1) / kChunkRows);
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
    index->mostUpTo_.assign(chunks, 0);
    index->leastFrom_.assign(chunks, kNone);
    if (rows > 0) {
        ProblemStore::Reader reader(*store);
        std::int64_t most = 0;
        for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return nullptr;
            std::int64_t least = kNone;
            for (std::int64_t i = 0; i < kChunkRows && !reader.atEnd(); ++i) {
                const std::int64_t line = reader.next().problem.line;
                if (line > 0) {
                    least = std::min(least, line);
                    most = std::max(most, line);
                }
            }
            index->mostUpTo_[chunk] = most;
            index->leastFrom_[chunk] = least;
        }
        for (std::size_t chunk = chunks - 1; chunk > 0; --chunk)
            index->leastFrom_[chunk - 1] =
                std::min(index->leastFrom_[chunk - 1], index->leastFrom_[chunk]);
    }
    index->store_ = std::move(store);
    return index;
}

std::vector<ProblemLineIndex::LineRow> ProblemLineIndex::rowsIn(std::int64_t first,
                                                                std::int64_t last) const {
    std::vector<LineRow> found;
    if (!store_ || first > last)
        return found;
    // Chunks before these name only lines before first; those after, only
    // lines after last.
    const auto from = std::lower_bound(mostUpTo_.begin(), mostUpTo_.end(), first);
    const auto to = std::upper_bound(leastFrom_.begin(), leastFrom_.end(), last);
    const std::int64_t begin = std::int64_t(from - mostUpTo_.begin()) * kChunkRows;
    const std::int64_t end =
        std::min(store_->size(), std::int64_t(to - leastFrom_.begin()) * kChunkRows);
    if (begin >= end)
        return found;
    ProblemStore::Reader reader(*store_, begin);
    while (reader.row() < end) {
        const std::int64_t row = reader.row();
        const std::int64_t line = reader.next().problem.line;
        if (line >= first && line <= last)
            found.emplace_back(line, row);
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace qm

#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qm {

class ProblemStore;

// The rows of a whole-file check found by the lines they name, for a store
// of tens of millions of rows at the cost of a few bytes for every
// kChunkRows of them: the store keeps its rows in file order, so the least
// and the most line each chunk of rows names tell which chunks can hold a
// line's rows, and only those are read. Made on any thread; read on any.
class ProblemLineIndex {
public:
    static constexpr std::int64_t kChunkRows = 256;
    // (line, store row)
    using LineRow = std::pair<std::int64_t, std::int64_t>;

    // Reads every row of store once; nullptr when cancel was set meanwhile.
    // The store must not grow while it is read.
    static std::shared_ptr<const ProblemLineIndex> build(std::shared_ptr<const ProblemStore> store,
                                                         const std::atomic<bool>* cancel = nullptr);

    const std::shared_ptr<const ProblemStore>& store() const { return store_; }
    // The rows that name lines first to last, sorted by line, then by row.
    std::vector<LineRow> rowsIn(std::int64_t first, std::int64_t last) const;

private:
    std::shared_ptr<const ProblemStore> store_;
    // Of chunks 0 to c: the most line named; of chunks c on: the least.
    std::vector<std::int64_t> mostUpTo_;
    std::vector<std::int64_t> leastFrom_;
};

} // namespace qm

#pragma once

#include "core/common/BlockArray.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace qm {

// A growing list of ascending 64-bit numbers (node numbers, row numbers) in
// four bytes each: the low half of every number, and the high half only
// where it changes, which in an ascending list is seldom.
class AscendingList {
public:
    // Adds a number no smaller than the last.
    void push_back(std::int64_t value);
    std::int64_t size() const { return std::int64_t(low_.size()); }
    bool empty() const { return low_.empty(); }
    std::int64_t operator[](std::int64_t i) const;
    std::int64_t back() const { return (*this)[size() - 1]; }
    // How many numbers are smaller than value.
    std::int64_t countBelow(std::int64_t value) const;
    void clear();
    std::size_t memoryBytes() const;

private:
    BlockArray<std::uint32_t> low_;
    // (first index, high half) wherever the high half changes.
    std::vector<std::pair<std::int64_t, std::int64_t>> high_;
};

} // namespace qm

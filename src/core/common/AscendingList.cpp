#include "core/common/AscendingList.h"

#include <algorithm>
#include <iterator>

namespace qm {

void AscendingList::push_back(std::int64_t value) {
    const std::int64_t high = value >> 32;
    if (high_.empty() || high_.back().second != high)
        high_.emplace_back(size(), high);
    low_.push_back(std::uint32_t(value));
}

std::int64_t AscendingList::operator[](std::int64_t i) const {
    const auto it = std::upper_bound(
        high_.begin(), high_.end(), i,
        [](std::int64_t n, const std::pair<std::int64_t, std::int64_t>& e) { return n < e.first; });
    return std::int64_t((std::uint64_t(std::prev(it)->second) << 32) | low_[std::size_t(i)]);
}

std::int64_t AscendingList::countBelow(std::int64_t value) const {
    std::int64_t lo = 0, hi = size();
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if ((*this)[mid] < value)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void AscendingList::clear() {
    low_.clear();
    high_.clear();
}

std::size_t AscendingList::memoryBytes() const {
    return low_.memoryBytes() + high_.capacity() * sizeof(high_[0]);
}

} // namespace qm

#include "core/check/HeavyHitters.h"

#include <limits>

namespace qm {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::uint64_t>::max() : sum;
}

} // namespace

HeavyHitters::HeavyHitters(std::size_t capacity)
    : capacity_(capacity < 1 ? 1 : capacity) {
    heap_.reserve(capacity_);
    at_.reserve(capacity_);
}

void HeavyHitters::place(std::size_t i, const Entry& entry) {
    heap_[i] = entry;
    at_[entry.key] = i;
}

void HeavyHitters::siftDown(std::size_t i) {
    const Entry moving = heap_[i];
    for (;;) {
        std::size_t least = 2 * i + 1;
        if (least >= heap_.size())
            break;
        if (least + 1 < heap_.size() && heap_[least + 1].count < heap_[least].count)
            ++least;
        if (heap_[least].count >= moving.count)
            break;
        place(i, heap_[least]);
        i = least;
    }
    place(i, moving);
}

void HeavyHitters::add(std::uint64_t key, std::uint64_t weight) {
    const auto found = at_.find(key);
    if (found != at_.end()) {
        // Counts only grow: the entry can only move down.
        heap_[found->second].count = saturatingAdd(heap_[found->second].count, weight);
        siftDown(found->second);
        return;
    }
    if (heap_.size() < capacity_) {
        // A new entry goes up from the bottom.
        Entry entry{key, weight};
        std::size_t i = heap_.size();
        heap_.push_back(entry);
        while (i > 0 && heap_[(i - 1) / 2].count > entry.count) {
            place(i, heap_[(i - 1) / 2]);
            i = (i - 1) / 2;
        }
        place(i, entry);
        return;
    }
    // The least kept key gives its place to this one.
    at_.erase(heap_.front().key);
    heap_.front() = {key, saturatingAdd(heap_.front().count, weight)};
    siftDown(0);
}

std::uint64_t HeavyHitters::minimum() const {
    return heap_.size() < capacity_ ? 0 : heap_.front().count;
}

std::vector<std::uint64_t> HeavyHitters::keys() const {
    std::vector<std::uint64_t> keys;
    keys.reserve(heap_.size());
    for (const Entry& entry : heap_)
        keys.push_back(entry.key);
    return keys;
}

} // namespace qm

#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace qm {

// The keys with the greatest weights in a stream of (key, weight), in
// bounded memory: the Space-Saving count. It keeps at most `capacity` keys;
// a key beyond them takes the place of the kept key with the least count
// and starts from that count. So a kept key's count is at least its true
// weight, and a key not kept has a true weight of at most minimum(): every
// key that weighs more is among those kept.
class HeavyHitters {
public:
    explicit HeavyHitters(std::size_t capacity);

    void add(std::uint64_t key, std::uint64_t weight);
    // The least count kept once every place is taken; 0 before.
    std::uint64_t minimum() const;
    std::vector<std::uint64_t> keys() const;

private:
    struct Entry {
        std::uint64_t key = 0;
        std::uint64_t count = 0;
    };
    // heap_ is a min-heap by count; at_ tells where each key is in it.
    void siftDown(std::size_t i);
    void place(std::size_t i, const Entry& entry);

    std::size_t capacity_;
    std::vector<Entry> heap_;
    std::unordered_map<std::uint64_t, std::size_t> at_;
};

} // namespace qm

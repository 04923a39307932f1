#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace qm {

// A growing array in fixed blocks of 2^kBits elements: it never copies what
// it holds, so that appending to one of millions of elements never stalls,
// and its memory follows its size.
template <typename T, int kBits = 16> class BlockArray {
public:
    void push_back(T value) {
        if ((size_ >> kBits) == blocks_.size())
            blocks_.emplace_back(new T[kBlockSize]);
        blocks_[size_ >> kBits][size_ & (kBlockSize - 1)] = value;
        ++size_;
    }
    T operator[](std::size_t i) const { return blocks_[i >> kBits][i & (kBlockSize - 1)]; }
    T& operator[](std::size_t i) { return blocks_[i >> kBits][i & (kBlockSize - 1)]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() {
        blocks_.clear();
        size_ = 0;
    }
    std::size_t memoryBytes() const {
        return blocks_.size() * kBlockSize * sizeof(T) + blocks_.capacity() * sizeof(void*);
    }

private:
    static constexpr std::size_t kBlockSize = std::size_t(1) << kBits;
    std::vector<std::unique_ptr<T[]>> blocks_;
    std::size_t size_ = 0;
};

} // namespace qm

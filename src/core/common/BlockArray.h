#pragma once

#include "core/common/HugePageMemory.h"

#include <cstddef>
#include <type_traits>
#include <vector>

namespace qm {

// A growing array in fixed blocks of 2^kBits elements: it never copies what
// it holds, so that appending to one of millions of elements never stalls,
// and its memory follows its size. With kHugePages, once it holds a huge
// page's worth, its blocks come from huge pages: for the arrays of hundreds of
// megabytes that are filled in one go (a file's tree); the memory of the
// others follows their size more closely without.
template <typename T, int kBits = 16, bool kHugePages = false> class BlockArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    void push_back(T value) {
        if ((size_ >> kBits) == blocks_.size())
            addBlock();
        blocks_[size_ >> kBits][size_ & (kBlockSize - 1)] = value;
        ++size_;
    }
    T operator[](std::size_t i) const { return blocks_[i >> kBits][i & (kBlockSize - 1)]; }
    T& operator[](std::size_t i) { return blocks_[i >> kBits][i & (kBlockSize - 1)]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() {
        blocks_.clear();
        owned_.clear();
        slabUsed_ = HugePageMemory::kHugePage;
        size_ = 0;
    }
    std::size_t memoryBytes() const {
        return blocks_.size() * kBlockBytes + blocks_.capacity() * sizeof(T*) +
               owned_.capacity() * sizeof(owned_[0]);
    }

private:
    static constexpr std::size_t kBlockSize = std::size_t(1) << kBits;
    static constexpr std::size_t kBlockBytes = kBlockSize * sizeof(T);

    void addBlock() {
        constexpr std::size_t kHugePage = HugePageMemory::kHugePage;
        if (!kHugePages || kBlockBytes > kHugePage || blocks_.size() * kBlockBytes < kHugePage) {
            owned_.push_back(HugePageMemory::allocateSmall(kBlockBytes));
            blocks_.push_back(reinterpret_cast<T*>(owned_.back().get()));
            return;
        }
        // Several blocks to a huge page.
        if (slabUsed_ + kBlockBytes > kHugePage) {
            owned_.push_back(HugePageMemory::allocate(kHugePage));
            slabUsed_ = 0;
        }
        blocks_.push_back(reinterpret_cast<T*>(owned_.back().get() + slabUsed_));
        slabUsed_ += kBlockBytes;
    }

    std::vector<T*> blocks_;
    std::vector<HugePageMemory::Pointer> owned_; // the blocks, or the huge pages they lie in
    std::size_t slabUsed_ = HugePageMemory::kHugePage;
    std::size_t size_ = 0;
};

} // namespace qm

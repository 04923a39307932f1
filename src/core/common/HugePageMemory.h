#pragma once

#include <cstddef>
#include <memory>

namespace qm {

// Memory for the big arrays of a file's tree, in regions the
// system may back with huge pages: filled a 4 KiB page at a time, hundreds of
// megabytes cost a page fault each, which on a virtual machine took longer
// than reading the file (ten million nodes: 0.7 s of a 1.5 s tree build).
class HugePageMemory {
public:
    static constexpr std::size_t kHugePage = std::size_t(2) << 20;

    // Gives back what allocate (mapped: its length) or allocateSmall gave.
    struct Free {
        std::size_t mapped = 0;
        void operator()(char* memory) const;
    };
    using Pointer = std::unique_ptr<char[], Free>;

    // bytes from a start aligned to a huge page, advised to be backed by huge
    // pages; throws std::bad_alloc when there is no memory. Mapped apart from
    // the C library's heap, so that freeing it gives it back to the system
    // at once instead of leaving holes in the heap.
    static Pointer allocate(std::size_t bytes);
    // bytes as malloc gives them, freed the same way.
    static Pointer allocateSmall(std::size_t bytes);
};

} // namespace qm

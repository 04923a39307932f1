#include "core/common/HugePageMemory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace qm {

void HugePageMemory::Free::operator()(char* memory) const {
    std::free(memory);
}

HugePageMemory::Pointer HugePageMemory::allocate(std::size_t bytes) {
    void* memory = nullptr;
    if (posix_memalign(&memory, kHugePage, bytes) != 0)
        throw std::bad_alloc();
    // Only advice: where huge pages are off, the pages are the usual ones.
    madvise(memory, bytes - bytes % kHugePage, MADV_HUGEPAGE);
    return Pointer(static_cast<char*>(memory));
}

HugePageMemory::Pointer HugePageMemory::allocateSmall(std::size_t bytes) {
    void* memory = std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    return Pointer(static_cast<char*>(memory));
}

} // namespace qm

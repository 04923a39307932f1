#include "core/common/HugePageMemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace qm {

namespace {
constexpr std::size_t kPage = 4096;
} // namespace

void HugePageMemory::Free::operator()(char* memory) const {
    if (mapped)
        munmap(memory, mapped);
    else
        std::free(memory);
}

HugePageMemory::Pointer HugePageMemory::allocate(std::size_t bytes) {
    const std::size_t length = (bytes + kPage - 1) / kPage * kPage;
    // Mapped a huge page longer than asked, then cut to an aligned start.
    void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    char* const start = static_cast<char*>(mapped);
    const std::size_t lead =
        (kHugePage - reinterpret_cast<std::uintptr_t>(start) % kHugePage) % kHugePage;
    if (lead)
        munmap(start, lead);
    if (kHugePage - lead)
        munmap(start + lead + length, kHugePage - lead);
    // Only advice: where huge pages are off, the pages are the usual ones.
    madvise(start + lead, length, MADV_HUGEPAGE);
    return Pointer(start + lead, Free{length});
}

HugePageMemory::Pointer HugePageMemory::allocateSmall(std::size_t bytes) {
    void* memory = std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    return Pointer(static_cast<char*>(memory));
}

} // namespace qm

#include "core/common/ProcessHeap.h"

// Any C library header says which C library it is.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace qm {

void ProcessHeap::returnLargeBlocks() {
#if defined(__GLIBC__)
    // Setting either bound stops the C library moving them.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}

} // namespace qm

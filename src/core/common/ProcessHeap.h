#pragma once

namespace qm {

// How the process's heap hands memory back.
class ProcessHeap {
public:
    // Blocks of a quarter of a megabyte and more are mapped on their own and
    // given back to the system when freed. By default the C library raises
    // that bound to the largest block freed so far (up to 32 MB), after which
    // the big passing buffers of a pass over ten million claims are carved
    // from the heap and kept when freed: a window left open grew by 30 MB a
    // pass. For a program that stays open; once, before the work begins.
    static void returnLargeBlocks();
};

} // namespace qm

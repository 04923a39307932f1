#pragma once

#include <atomic>
#include <cstdint>

namespace qm {

// How a tree build running on another thread is watched and stopped: the
// build reports the file's size and how far into it it has read, and stops
// soon after cancel is set.
struct TreeBuildControl {
    std::atomic<std::int64_t> bytesTotal{0};
    std::atomic<std::int64_t> bytesDone{0};
    std::atomic<bool> cancel{false};
};

} // namespace qm

#pragma once

#include <atomic>
#include <cstdint>

namespace qm {

// How long work on a file, running on another thread, is watched and
// stopped: it reports the file's size and how far into it it has read, and
// stops soon after cancel is set.
struct ProgressControl {
    std::atomic<std::int64_t> bytesTotal{0};
    std::atomic<std::int64_t> bytesDone{0};
    std::atomic<bool> cancel{false};
};

} // namespace qm

#pragma once

#include <cstdint>
#include <functional>

namespace qm {

// Reports how far long work has come (bytes done of total) and asks whether to
// go on: returning false cancels the work. May be called from a worker thread.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

} // namespace qm

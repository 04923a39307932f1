#pragma once

#include <cstddef>

namespace qm {

// A value of several matched at once that holds a match: which one, and the
// matched part in bytes of that value.
struct ValueMatch {
    std::size_t value = 0;
    std::size_t start = 0;
    std::size_t length = 0;
};

} // namespace qm

#pragma once

#include <cstddef>
#include <string>

namespace qm {

// Why a filter expression cannot be read: the column (1-based, in characters
// of the expression) and what was expected there or what is wrong.
struct FilterError {
    std::size_t column = 0;
    std::string what; // "a field such as XA0.12.0, or a value, was expected"

    // "column 9: a field such as XA0.12.0, or a value, was expected"
    std::string message() const { return "column " + std::to_string(column) + ": " + what; }
};

} // namespace qm

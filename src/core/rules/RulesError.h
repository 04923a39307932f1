#pragma once

#include <cstddef>
#include <string>

namespace qm {

// Why a rules file does not load: the file, the line and column (1-based,
// columns in characters) where it goes wrong, and what was expected there or
// what is wrong. A file that fails loads none of its rules.
struct RulesError {
    std::string file; // as given (file system bytes)
    std::size_t line = 0;
    std::size_t column = 0;
    std::string what; // UTF-8

    // "payer.rules:12:9: severity error, warning or note was expected"; a
    // line of 0 names the file alone.
    std::string message() const;
};

} // namespace qm

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

// The length of a complete record; shorter lines are no records.
constexpr std::size_t kRecordLength = 320;

// The record line rule, the same for the file tree, a claim click and the
// whole-file check: a line that begins with a line feed loses it (and its
// record starts one byte later), and what remains is a record when it has
// at least kRecordLength characters. Returns false for a line that is no
// record; line and position are then unspecified.
inline bool takeRecordLine(std::string_view& line, std::int64_t& position) {
    if (!line.empty() && line.front() == '\n') {
        line.remove_prefix(1);
        ++position;
    }
    return line.size() >= kRecordLength;
}

inline bool takeRecordLine(std::string_view& line) {
    std::int64_t ignored = 0;
    return takeRecordLine(line, ignored);
}

} // namespace qm

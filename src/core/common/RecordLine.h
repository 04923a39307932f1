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

// Whether a line read back at a position where a record of this type was
// found is still one: a record by the rule above, of exactly that type. A
// record read back by position that is not means the file has changed.
inline bool takeRecordOfType(std::string_view& line, std::string_view type) {
    return takeRecordLine(line) && line.substr(0, 3) == type;
}

} // namespace qm

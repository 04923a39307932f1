#pragma once

#include <cstdio>
#include <string>

namespace qm {

// Reads the comma-separated values of a map file one at a time. A line end
// separates values as a comma does; blank lines are skipped; a value in double
// quotes keeps its commas; an unquoted value loses its surrounding blanks.
class MapValueReader {
public:
    // Values longer than this are cut: a hand-edited file with a runaway quote
    // must not take all memory.
    static constexpr std::size_t kMaxValueLength = 64 * 1024;

    explicit MapValueReader(std::FILE* file)
        : file_(file) {}

    // True when no value is left (only blanks and line ends remain).
    bool atEnd();
    // The next value; false at the end of the file.
    bool next(std::string& value);

private:
    int get();
    void unget(int c);

    std::FILE* file_;
    bool afterComma_ = false; // the last value ended at a comma
};

} // namespace qm

#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

class LayoutCatalogue;
class SequentialFile;

// A batch header's second line (BA1) is the line right after it, and a line
// there is one when its record type field says "BA1". A click and the
// whole-file check both look for it by this rule.
class BatchSecondLine {
public:
    // Where the line after the batch header at batchPosition begins, read
    // with reader (which it moves); -1 when the file holds none.
    static std::int64_t position(SequentialFile& reader, std::int64_t batchPosition);
    static bool isOne(const LayoutCatalogue& layouts, std::string_view line);
};

} // namespace qm

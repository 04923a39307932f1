#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

class LayoutCatalogue;

// A batch header's second line (BA1) follows it directly: its position is the
// batch's plus the BA0 record length (the last BA0 field's end) plus CR LF,
// and a line read there is one when its record type field says "BA1". A click
// and the whole-file check both look for it by this rule.
class BatchSecondLine {
public:
    static std::int64_t position(const LayoutCatalogue& layouts, std::int64_t batchPosition);
    static bool isOne(const LayoutCatalogue& layouts, std::string_view line);
};

} // namespace qm

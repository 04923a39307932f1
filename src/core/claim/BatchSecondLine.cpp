#include "core/claim/BatchSecondLine.h"

#include "core/layouts/LayoutCatalogue.h"

namespace qm {

std::int64_t BatchSecondLine::position(const LayoutCatalogue& layouts, std::int64_t batchPosition) {
    const RecordLayout& ba0 = *layouts.find("BA0");
    const int last = ba0.fieldCount();
    return batchPosition + (last ? ba0.field(last - 1).EndPos : 0) + 2;
}

bool BatchSecondLine::isOne(const LayoutCatalogue& layouts, std::string_view line) {
    const RecordLayout& ba1 = *layouts.find("BA1");
    return ba1.fieldCount() >= 1 && ba1.value(0, line) == "BA1";
}

} // namespace qm

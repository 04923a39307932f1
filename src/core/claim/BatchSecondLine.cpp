#include "core/claim/BatchSecondLine.h"

#include "core/io/SequentialFile.h"
#include "core/layouts/LayoutCatalogue.h"

namespace qm {

std::int64_t BatchSecondLine::position(SequentialFile& reader, std::int64_t batchPosition) {
    // Whatever the header's length, the next line begins where it ends.
    reader.seek(batchPosition);
    std::string_view header;
    if (!reader.readLineView(header) || reader.atEnd())
        return -1;
    return reader.position();
}

bool BatchSecondLine::isOne(const LayoutCatalogue& layouts, std::string_view line) {
    const RecordLayout& ba1 = *layouts.find("BA1");
    return ba1.fieldCount() >= 1 && ba1.value(0, line) == "BA1";
}

} // namespace qm

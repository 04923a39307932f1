#pragma once

#include "core/common/TextUtil.h"

#include <cstdint>
#include <string_view>

namespace qm {

// Where a field stands in its record, kept beside the others a search looks
// at so that their values are cut without a look at the map's definitions.
struct FieldColumns {
    std::int16_t start = 0; // 1-based; below 1: the field cannot be cut
    std::int16_t length = 0;

    // The value in a record line, as RecordLayout::value cuts it.
    std::string_view of(std::string_view line) const {
        return start < 1 || length < 0 ? std::string_view() : columns(line, start, length);
    }
};

} // namespace qm

#pragma once

#include <cstdint>

namespace qm {

// What a record type's layout says of the type as a whole.
struct RecordInfo {
    std::int16_t FieldCount = 0;
    bool Repeats = false;
};

} // namespace qm

#pragma once

#include "core/layouts/RecordTypes.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

struct RecordInfo {
    std::int16_t FieldCount = 0;
    // Slot the record of this type read last went to. Wider than a slot number:
    // it keeps counting past 99 records of one type, which are not stored.
    std::int32_t Occurrence = 0;
    bool Repeats = false;
    std::array<std::string, kSlotCount> Lines;
};

} // namespace qm

#pragma once

#include "core/layouts/RecordTypes.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

// One field definition of a map file, with the field's value slots.
struct FieldDef {
    std::string RecordType;
    std::string FieldId; // "04.0"
    std::string FieldName;
    std::int16_t Length = 0;
    std::string TypeCodes; // X, N, R, D
    std::int16_t StartPos = 0;
    std::int16_t EndPos = 0;
    std::array<bool, kSlotCount> Valid{};
    std::array<std::string, kSlotCount> Values;
};

} // namespace qm

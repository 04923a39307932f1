#pragma once

#include "core/layouts/FieldDef.h"
#include "core/layouts/RecordInfo.h"

#include <array>

namespace qm {

// One catalogue entry: a record type's field table and its info block.
struct RecordLayout {
    std::array<FieldDef, kSlotCount> Fields;
    RecordInfo Info;
};

using FieldTable = std::array<FieldDef, kSlotCount>;

} // namespace qm

#pragma once

#include <array>
#include <string_view>

namespace qm {

constexpr int kRecordTypeCount = 32;
// Slots 1 to 99 of fields, values and lines are used; slot 0 never is.
constexpr int kSlotCount = 100;
constexpr int kMaxSlot = 99;

// The 32 record types in catalogue order.
extern const std::array<std::string_view, kRecordTypeCount> kRecordTypes;

// Index of a record type in catalogue order (exact, case-sensitive match), or -1.
int recordTypeIndex(std::string_view type);

} // namespace qm

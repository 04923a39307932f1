#pragma once

#include <array>
#include <string_view>

namespace qm {

constexpr int kRecordTypeCount = 32;
// A record type has at most 99 field definitions, and a claim at most 99
// stored records of one type (occurrences 1 to 99).
constexpr int kMaxFields = 99;
constexpr int kMaxOccurrence = 99;

// The 32 record types in catalogue order.
extern const std::array<std::string_view, kRecordTypeCount> kRecordTypes;

// What each type holds, in words a person reads ("Claim header" for CA0,
// "Claim trailer" for XA0), in catalogue order.
extern const std::array<std::string_view, kRecordTypeCount> kRecordTypeNames;

// Index of a record type in catalogue order (exact, case-sensitive match), or -1.
int recordTypeIndex(std::string_view type);
// The name of a record type ("Service line" for FA0); empty for none of the 32.
std::string_view recordTypeName(std::string_view type);

} // namespace qm

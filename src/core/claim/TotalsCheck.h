#pragma once

#include "core/claim/ClaimTotals.h"
#include "core/claim/TotalsVerdict.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

class RecordLayout;

// The member of ClaimTotals that a field of a record type adds to, or null.
using TotalsMember = std::int64_t ClaimTotals::*;
TotalsMember summedInto(std::string_view recordType, std::string_view fieldId);
// The bit of ClaimTotals::tooLarge that stands for a member.
std::uint16_t totalsBit(TotalsMember member);

// What an XA0 field is compared with: a member of ClaimTotals, or for the
// record count ("10.0") the six counts added up.
struct TotalsPairing {
    int field = -1;                // index in the XA0 layout
    TotalsMember member = nullptr; // null: all six counts
    std::uint16_t bits = 0;        // of the members it reads, in ClaimTotals::tooLarge
    std::int64_t totalIn(const ClaimTotals& totals) const;
};
// The field numbers of the XA0 fields the check compares ("04.0" ... "20.0").
std::vector<std::string_view> comparedXa0Ids();
// The XA0 fields the check compares, in field order; lacksFields, when
// given, says whether any field the check pairs is missing from the layout.
std::vector<TotalsPairing> pairingsOf(const RecordLayout& xa0, bool* lacksFields = nullptr);

// Counting hook: one accepted claim line of this record type.
void CountClaimLine(ClaimTotals& totals, std::string_view recordType);
// Summing hook: one field's stored value.
void SumClaimField(ClaimTotals& totals, std::string_view recordType, std::string_view fieldId,
                   std::string_view typeCodes, std::string_view value);
// Adds a stored value to a sum when it is a whole number of a numeric (N)
// field; a sum that would leave 64 bits, or a whole number beyond them, marks
// the member too large to add up.
void addAmount(ClaimTotals& totals, TotalsMember member, bool numeric, std::string_view value);

// Compares the fields of the claim's own XA0 (xa0Line null when it had none)
// with the totals. A blank XA0 field, or one the check does not pair with a
// total, is not compared; a non-blank value that is no whole number matches
// nothing. When the XA0 layout lacks any of the fields the check pairs with
// totals, or one of them does not lie wholly inside the XA0 line, or what it
// is compared with was too large to add up, what could be compared still is,
// but a clean result says the totals could not be checked. A claim without
// its own XA0 has no trailer, whatever the map.
TotalsVerdict CheckClaimTotals(const ClaimTotals& totals, const RecordLayout* xa0Layout,
                               const std::string_view* xa0Line);
// The same with the pairings worked out before; the comparisons that
// matched are kept only when keepMatches is set.
TotalsVerdict compareTotals(const ClaimTotals& totals, const RecordLayout& xa0Layout,
                            const std::vector<TotalsPairing>& pairings, bool lacksFields,
                            const std::string_view* xa0Line, bool keepMatches = true);

} // namespace qm

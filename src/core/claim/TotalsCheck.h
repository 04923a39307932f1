#pragma once

#include "core/claim/ClaimTotals.h"
#include "core/claim/TotalsVerdict.h"

#include <string_view>

namespace qm {

class RecordLayout;

// Counting hook: one accepted claim line of this record type.
void CountClaimLine(ClaimTotals& totals, std::string_view recordType);
// Summing hook: one field's stored value.
void SumClaimField(ClaimTotals& totals, std::string_view recordType, std::string_view fieldId,
                   std::string_view typeCodes, std::string_view value);
// Every field of one stored record, through the summing hook.
void SumClaimRecord(ClaimTotals& totals, std::string_view recordType, const RecordLayout& layout,
                    std::string_view line);

// Compares the fields of the claim's own XA0 (xa0Line null when it had none)
// with the totals. A blank XA0 field, or one the check does not pair with a
// total, is not compared; a non-blank value that is no whole number matches
// nothing. When the XA0 layout lacks any of the fields the check pairs with
// totals, what could be compared still is, but a clean result says the
// totals could not be checked.
TotalsVerdict CheckClaimTotals(const ClaimTotals& totals, const RecordLayout* xa0Layout,
                               const std::string_view* xa0Line);

} // namespace qm

#pragma once

#include "core/common/Message.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct Module1;
struct ClaimTotals;

// Counting hook: one accepted claim line of this record type.
void CountClaimLine(ClaimTotals& totals, std::string_view recordType);
// Summing hook: one field's stored value.
void SumClaimField(ClaimTotals& totals, std::string_view recordType, std::string_view fieldId,
                   std::string_view typeCodes, std::string_view value);
// Compares the XA0 fields at slot 1 with the totals and marks each compared
// field's Valid flag. True when all compared fields match (or none was).
// mismatched, when given, receives the field numbers that did not match.
bool CheckClaimTotals(Module1& m, std::vector<std::string>* mismatched = nullptr);

// "XA0 Record totals do not compute!"
Message totalsMessage();

} // namespace qm

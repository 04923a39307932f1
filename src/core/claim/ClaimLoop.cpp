#include "core/claim/ClaimLoop.h"

#include "core/claim/TotalsCheck.h"
#include "core/common/RecordLine.h"
#include "core/layouts/RecordTypes.h"

namespace qm {

namespace {

// What each record type is to a claim, in catalogue order.
enum class Role : char { None, UnderBatch, UnderClaim, First, Trailer, Ends };
constexpr Role kRoles[kRecordTypeCount] = {
    Role::None,       Role::Ends,       Role::None,       Role::First,      // AA0 BA0 BA1 CA0
    Role::UnderBatch, Role::UnderBatch,                                     // CA1 CB0
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim,                   // DA0 DA1 DA2
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim,                   // EA0 EA1 EA2
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, // FA0 FB0 FB1 FB2
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim,                   // FB3 FD0 FE0
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, // GA0 GC0 GD0 GD1
    Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, Role::UnderClaim, // GP0 GU0 GX0 GX1
    Role::UnderClaim, Role::UnderClaim,                                     // GX2 HA0
    Role::Trailer,    Role::Ends,       Role::Ends};                        // XA0 YA0 ZA0

Role roleOf(std::string_view type) {
    const int index = recordTypeIndex(type);
    return index < 0 ? Role::None : kRoles[index];
}

} // namespace

const char* ClaimLoop::parentOf(std::string_view type) {
    switch (roleOf(type)) {
    case Role::First:
    case Role::UnderBatch:
        return "BA0";
    case Role::UnderClaim:
    case Role::Trailer:
        return "CA0";
    default:
        return nullptr;
    }
}

ClaimLoop::Step ClaimLoop::next(std::string_view& line, ClaimTotals& totals) {
    if (!takeRecordLine(line))
        return Step::NotARecord;
    const std::string_view type = line.substr(0, 3);
    CountClaimLine(totals, type);
    switch (roleOf(type)) {
    case Role::First:
        if (started_)
            return Step::End;
        started_ = true;
        return Step::Process;
    case Role::Ends:
        return Step::End;
    case Role::Trailer:
        return Step::ProcessThenEnd;
    case Role::UnderBatch:
    case Role::UnderClaim:
        return Step::Process;
    case Role::None:
        break;
    }
    return Step::Counted;
}

} // namespace qm

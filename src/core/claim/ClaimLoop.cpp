#include "core/claim/ClaimLoop.h"

#include "core/claim/TotalsCheck.h"
#include "core/common/RecordLine.h"

namespace qm {

const char* ClaimLoop::parentOf(std::string_view type) {
    if (type == "CA0" || type == "CA1" || type == "CB0")
        return "BA0";
    static const char* const kUnderClaim[] = {
        "DA0", "DA1", "DA2", "EA0", "EA1", "EA2", "FA0", "FB0", "FB1", "FB2", "FB3", "FD0",
        "FE0", "GA0", "GC0", "GD0", "GD1", "GP0", "GU0", "GX0", "GX1", "GX2", "HA0", "XA0"};
    for (const char* t : kUnderClaim)
        if (type == t)
            return "CA0";
    return nullptr;
}

ClaimLoop::Step ClaimLoop::next(std::string_view& line, ClaimTotals& totals) {
    if (!takeRecordLine(line))
        return Step::NotARecord;
    const std::string_view type = line.substr(0, 3);
    CountClaimLine(totals, type);
    if (type == "CA0") {
        if (started_)
            return Step::End;
        started_ = true;
        return Step::Process;
    }
    if (type == "BA0" || type == "YA0" || type == "ZA0")
        return Step::End;
    if (!parentOf(type))
        return Step::Counted;
    return type == "XA0" ? Step::ProcessThenEnd : Step::Process;
}

} // namespace qm

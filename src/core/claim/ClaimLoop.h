#pragma once

#include "core/claim/ClaimTotals.h"

#include <string_view>

namespace qm {

// Which lines make a claim: fed the lines from the claim's CA0 record on, it
// says what to do with each, and counts each record line for the totals
// (the line that ends the claim included). A claim click and the whole-file
// check both read claims through it.
class ClaimLoop {
public:
    enum class Step {
        NotARecord,     // too short: skipped without trace
        Counted,        // counted only (a type the claim does not hold)
        Process,        // a record of the claim
        ProcessThenEnd, // the claim trailer: the last record of the claim
        End             // the next claim, batch or trailer: not part of this claim
    };

    // line as read; on return it holds the record (a leading LF dropped).
    Step next(std::string_view& line, ClaimTotals& totals);

    // The claim form node a record of this type hangs under ("BA0" or "CA0"),
    // or nullptr for a type the claim loop does not process.
    static const char* parentOf(std::string_view recordType);

private:
    bool started_ = false;
};

} // namespace qm

#pragma once

#include "core/claim/ClaimTotals.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// How a claim's trailer totals came out.
enum class TotalsState {
    NotAClaim,    // a file header or batch: nothing to check
    Ok,           // every compared XA0 field matched
    DoNotCompute, // an XA0 field did not match the claim's records
    NoTrailer,    // the claim had no XA0 of its own: nothing compared
    CouldNotCheck // XA0 fields the check compares are missing from the layouts,
                  // cannot be cut from the XA0 line, or their totals are too
                  // large to add up
};

// "ok", "do_not_compute", "no_trailer", "could_not_check" or "not_a_claim".
const char* totalsStateName(TotalsState state);

// One compared XA0 field: what the XA0 states and what the claim's records give.
struct TotalsComparison {
    int field = -1;            // index in the XA0 layout
    std::string fieldId;       // "12.0"
    std::string stated;        // the XA0 value as stored, blanks and all (file bytes)
    std::int64_t computed = 0; // the count or sum of the claim's records
    bool match = false;
};

struct TotalsVerdict {
    TotalsState state = TotalsState::NotAClaim;
    ClaimTotals counted;                    // the claim's records, counted and summed
    bool xa0Present = false;                // an XA0 was read for this claim
    std::vector<TotalsComparison> compared; // in XA0 field order
    // Compared XA0 fields that do not lie wholly inside the XA0 line (or that
    // the map places nowhere): not compared, so the totals are not known right.
    std::vector<int> uncut;
    // Compared XA0 fields whose total was too large to add up (beyond 64
    // bits): not compared either. Each with its value as stored.
    struct Uncompared {
        int field = -1;
        std::string stated;
    };
    std::vector<Uncompared> tooLarge;
    std::int64_t xa0Length = 0; // characters of the XA0 line as read
    bool lacksFields = false;   // the layouts lack XA0 fields the check compares

    bool checked() const { return state != TotalsState::NotAClaim; }
    // False only when totals did not compute: the one case the user is warned of.
    bool ok() const { return state != TotalsState::DoNotCompute; }
    std::vector<std::string> mismatched() const;
};

} // namespace qm

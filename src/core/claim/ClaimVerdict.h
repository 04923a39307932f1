#pragma once

#include "core/claim/TotalsVerdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct AssembledClaim;

// A value of a claim form record that failed its check.
struct InvalidField {
    std::string node;  // the claim form node key, e.g. "FA0-2"
    int field = -1;    // index in the record type's layout
    std::string value; // as read (file bytes, untrimmed)
};

// What is wrong with one claim, as clicking it would show: the verdict on its
// trailer totals and every value that failed its check, node by node. XA0
// fields whose totals did not match are in mismatches, not again in invalid.
struct ClaimVerdict {
    std::int64_t position = 0; // of its CA0 record: the file tree key is "CA0" + position
    std::string text;          // the file tree's node text (file bytes)
    TotalsState totals = TotalsState::NotAClaim;
    bool xa0Present = false;
    std::vector<TotalsComparison> mismatches;
    std::vector<InvalidField> invalid;
    // The claim's records could not be read where the file had them (it changed).
    bool unreadable = false;

    std::string key() const { return "CA0" + std::to_string(position); }
    bool totalsFailed() const { return totals == TotalsState::DoNotCompute; }
    bool failed() const { return totalsFailed() || !invalid.empty(); }
    // Not failed, but not known to be right either.
    bool uncertain() const { return unreadable || totals == TotalsState::CouldNotCheck; }
};

// The verdict a click on the claim at `position` gives.
ClaimVerdict verdictOf(const AssembledClaim& claim, std::int64_t position, std::string text);

} // namespace qm

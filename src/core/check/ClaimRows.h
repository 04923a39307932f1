#pragma once

#include "core/check/Problem.h"
#include "core/claim/TotalsVerdict.h"

#include <string_view>
#include <vector>

namespace qm {

class ClaimRules;
struct AssembledClaim;

// The problem rows of one claim, in the order every front end lists them:
// the XA0 fields whose totals do not compute, the compared XA0 fields that
// could not be cut from the line, those whose totals were too large to add
// up, the values that fail their checks (in
// claim form node order, the file and batch headers' and trailers' among
// them), then that the claim could not be read, that the map lacks XA0
// fields the check compares, or that the claim has no XA0. The whole-file
// check and a click on the claim make them by these same steps.
class ClaimRows {
public:
    explicit ClaimRows(const ClaimRules& rules)
        : rules_(rules) {}

    // Whether a value that fails its check is listed: a compared XA0 field
    // passes or fails by its total alone (or could not be compared).
    bool listsInvalid(int typeIndex, int occurrence, int field, std::string_view value,
                      std::size_t lineLength) const;

    // The rows before the values: `claim` says where they are; values point
    // into totals.
    void addTotals(const TotalsVerdict& totals, const Problem& claim,
                   std::vector<ProblemRow>& rows) const;
    // One value that fails its check.
    static void addInvalid(const Problem& claim, int typeIndex, int occurrence, int field,
                           std::string_view value, std::vector<ProblemRow>& rows);
    // The rows after the values.
    static void addFieldless(const TotalsVerdict& totals, bool unreadable, const Problem& claim,
                             std::vector<ProblemRow>& rows);

    // Every row of a click on a claim; values point into the claim.
    void ofClick(const AssembledClaim& claim, const Problem& where,
                 std::vector<ProblemRow>& rows) const;

private:
    const ClaimRules& rules_;
};

} // namespace qm

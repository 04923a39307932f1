#pragma once

#include "core/claim/TotalsCheck.h"
#include "core/layouts/LayoutCatalogue.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace qm {

// What the claim rules need to know of one set of layouts, worked out once:
// which fields feed which sums and which XA0 fields are compared with what.
// A whole-file check makes one for all its claims; a click makes its own.
class ClaimRules {
public:
    explicit ClaimRules(std::shared_ptr<const LayoutCatalogue> layouts);

    const LayoutCatalogue& layouts() const { return *layouts_; }

    // Adds the amounts of a stored record of this type to the totals.
    void sum(ClaimTotals& totals, int typeIndex, std::string_view line) const;
    // The verdict on the totals; xa0Line null when the claim had no XA0.
    // Matched comparisons are kept only with keepMatches.
    TotalsVerdict check(const ClaimTotals& totals, const std::string_view* xa0Line,
                        bool keepMatches = true) const;
    // Whether an XA0 field is compared with a total.
    bool isCompared(int xa0Field) const;

private:
    struct Sum {
        int field;
        TotalsMember member;
        bool numeric;
    };
    std::shared_ptr<const LayoutCatalogue> layouts_;
    std::array<std::vector<Sum>, kRecordTypeCount> sums_;
    std::vector<TotalsPairing> pairings_;
    bool lacksFields_ = false;
};

} // namespace qm

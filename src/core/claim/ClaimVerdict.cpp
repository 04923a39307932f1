#include "core/claim/ClaimVerdict.h"

#include "core/claim/AssembledClaim.h"

#include <algorithm>

namespace qm {

ClaimVerdict verdictOf(const AssembledClaim& claim, std::int64_t position, std::string text) {
    ClaimVerdict verdict;
    verdict.position = position;
    verdict.text = std::move(text);
    verdict.totals = claim.totals.state;
    verdict.xa0Present = claim.totals.xa0Present;
    verdict.unreadable = claim.unreadable;
    for (const TotalsComparison& comparison : claim.totals.compared)
        if (!comparison.match)
            verdict.mismatches.push_back(comparison);
    for (const ClaimNode& node : claim.nodes) {
        const AssembledRecord* record = claim.record(node);
        if (!record)
            continue;
        const bool trailer = record->type == "XA0" && record->occurrence == 1;
        for (int i = 0; i < int(record->fields.size()); ++i) {
            if (record->valid(i))
                continue;
            if (trailer && std::any_of(verdict.mismatches.begin(), verdict.mismatches.end(),
                                       [i](const TotalsComparison& c) { return c.field == i; }))
                continue;
            verdict.invalid.push_back({node.key, i, std::string(record->value(i))});
        }
    }
    return verdict;
}

} // namespace qm

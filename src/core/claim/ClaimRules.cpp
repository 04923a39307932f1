#include "core/claim/ClaimRules.h"

namespace qm {

ClaimRules::ClaimRules(std::shared_ptr<const LayoutCatalogue> layouts)
    : layouts_(std::move(layouts)) {
    // Only these types feed a sum: a click makes its own rules, so keep it short.
    for (const char* summed : {"DA1", "FA0", "FB0"}) {
        const int type = recordTypeIndex(summed);
        const RecordLayout& layout = layouts_->at(type);
        for (int i = 0; i < layout.fieldCount(); ++i) {
            const FieldDef& field = layout.field(i);
            // A number the map defines twice is summed once, from its first definition.
            if (layout.indexOf(field.FieldId) != i)
                continue;
            if (const TotalsMember member =
                    summedInto(kRecordTypes[static_cast<std::size_t>(type)], field.FieldId))
                sums_[static_cast<std::size_t>(type)].push_back(
                    {i, member, field.TypeCodes.find('N') != std::string::npos});
        }
    }
    pairings_ = pairingsOf(*layouts_->find("XA0"), &lacksFields_);
}

void ClaimRules::sum(ClaimTotals& totals, int typeIndex, std::string_view line) const {
    const RecordLayout& layout = layouts_->at(typeIndex);
    for (const Sum& s : sums_[static_cast<std::size_t>(typeIndex)])
        addAmount(totals, s.member, s.numeric, layout.value(s.field, line));
}

TotalsVerdict ClaimRules::check(const ClaimTotals& totals, const std::string_view* xa0Line,
                                bool keepMatches) const {
    return compareTotals(totals, *layouts_->find("XA0"), pairings_, lacksFields_, xa0Line,
                         keepMatches);
}

bool ClaimRules::isCompared(int xa0Field) const {
    for (const TotalsPairing& pairing : pairings_)
        if (pairing.field == xa0Field)
            return true;
    return false;
}

} // namespace qm

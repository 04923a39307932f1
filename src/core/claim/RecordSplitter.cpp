#include "core/claim/RecordSplitter.h"

#include <climits>

namespace qm {

namespace {
bool hasPlainKey(std::string_view type) {
    return type == "AA0" || type == "BA0" || type == "BA1" || type == "CA0";
}
} // namespace

RecordSplitter::Split RecordSplitter::split(std::string_view line, std::string_view recordType) {
    Split result;
    result.typeIndex = recordTypeIndex(recordType);
    if (result.typeIndex < 0)
        return result;
    const RecordLayout& layout = rules_.layouts().at(result.typeIndex);
    std::int32_t& occurrence = occurrences_[static_cast<std::size_t>(result.typeIndex)];
    typesSplit_ |= std::uint32_t(1) << result.typeIndex;
    if (layout.repeats()) {
        if (occurrence < INT32_MAX)
            ++occurrence;
    } else {
        occurrence = 1;
    }
    result.occurrence = occurrence;
    if (result.stored())
        rules_.sum(totals, result.typeIndex, line);
    return result;
}

void RecordSplitter::reset() {
    totals = ClaimTotals();
    for (std::uint32_t types = typesSplit_; types; types &= types - 1)
        occurrences_[std::size_t(__builtin_ctz(types))] = 0;
    typesSplit_ = 0;
}

std::string RecordSplitter::nodeKey(const Split& split) const {
    return nodeKey(rules_.layouts(), split);
}

std::string RecordSplitter::nodeKey(const LayoutCatalogue& layouts, const Split& split) {
    if (!split.stored())
        return {};
    const std::string_view type = kRecordTypes[static_cast<std::size_t>(split.typeIndex)];
    if (!layouts.at(split.typeIndex).repeats() || hasPlainKey(type))
        return std::string(type);
    return std::string(type) + "-" + std::to_string(split.occurrence);
}

} // namespace qm

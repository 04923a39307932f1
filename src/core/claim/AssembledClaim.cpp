#include "core/claim/AssembledClaim.h"

#include "core/common/TextUtil.h"

namespace qm {

const ClaimNode* AssembledClaim::node(std::string_view key) const {
    for (const ClaimNode& n : nodes)
        if (n.key == key)
            return &n;
    return nullptr;
}

const AssembledRecord* AssembledClaim::record(const ClaimNode& n) const {
    return n.record < 0 ? nullptr : &records[static_cast<std::size_t>(n.record)];
}

const AssembledRecord* AssembledClaim::record(std::string_view nodeKey) const {
    std::string_view type;
    int occurrence = 0;
    parseKey(nodeKey, type, occurrence);
    for (const AssembledRecord& r : records)
        if (r.type == type && r.occurrence == occurrence)
            return &r;
    return nullptr;
}

void AssembledClaim::parseKey(std::string_view key, std::string_view& type, int& occurrence) {
    type = key.substr(0, 3);
    const std::size_t dash = key.find('-');
    occurrence = dash == std::string_view::npos
                     ? 1
                     : int(parseInteger(key.substr(dash + 1), 1, kMaxOccurrence).value_or(0));
}

const RecordLayout* AssembledClaim::layout(const AssembledRecord& r) const {
    return layouts ? layouts->find(r.type) : nullptr;
}

} // namespace qm

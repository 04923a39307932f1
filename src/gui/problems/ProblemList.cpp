#include "gui/problems/ProblemList.h"

#include "core/claim/ClaimVerdict.h"
#include "core/filetree/FileTree.h"

#include <algorithm>
#include <limits>

namespace {

template <typename T> std::size_t bytesOf(const std::vector<T>& list) {
    return list.capacity() * sizeof(T);
}

// Where node is in a sorted list, or -1.
std::int64_t indexIn(const std::vector<std::int64_t>& list, std::int64_t node) {
    const auto it = std::lower_bound(list.begin(), list.end(), node);
    return it != list.end() && *it == node ? it - list.begin() : -1;
}

} // namespace

ProblemKind ProblemList::Counts::worst() const {
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        if (byKind[std::size_t(kind)])
            return ProblemKind(kind);
    return ProblemKind::NoXa0;
}

void ProblemList::Batch::addItem(ProblemKind kind, std::string_view record, int field,
                                 std::string_view value, std::int64_t expected) {
    record = record.substr(0, std::numeric_limits<std::uint8_t>::max());
    value = value.substr(0, std::numeric_limits<std::uint16_t>::max());
    Item item;
    item.text = pool_.size();
    item.expected = expected;
    item.claim = std::uint32_t(nodes_.size());
    item.valueLength = std::uint16_t(value.size());
    item.field = std::int16_t(field);
    item.kind = kind;
    item.recordLength = std::uint8_t(record.size());
    pool_.append(record).append(value);
    items_.push_back(item);
}

bool ProblemList::Batch::hasProblems(const qm::ClaimVerdict& verdict) {
    return verdict.failed() || verdict.uncertain() || verdict.totals == qm::TotalsState::NoTrailer;
}

bool ProblemList::Batch::add(std::int64_t node, const qm::ClaimVerdict& verdict) {
    if (!hasProblems(verdict))
        return false;
    const std::size_t first = items_.size();
    // In the order of the kinds, the most serious first.
    if (verdict.totalsFailed())
        for (const qm::TotalsComparison& comparison : verdict.mismatches)
            if (!comparison.match)
                addItem(ProblemKind::TotalsDoNotCompute, "XA0", comparison.field, comparison.stated,
                        comparison.computed);
    if (verdict.unreadable)
        addItem(ProblemKind::Unreadable, {}, -1, {});
    for (const qm::InvalidField& field : verdict.invalid)
        addItem(ProblemKind::InvalidValue, field.node, field.field, field.value);
    if (verdict.totals == qm::TotalsState::CouldNotCheck)
        addItem(ProblemKind::CouldNotCheck, {}, -1, {});
    if (verdict.totals == qm::TotalsState::NoTrailer)
        addItem(ProblemKind::NoXa0, {}, -1, {});
    if (items_.size() == first)
        return false;
    nodes_.push_back(node);
    firstItems_.push_back(std::uint32_t(first));
    return true;
}

void ProblemList::append(const qm::FileTree& tree, Batch&& batch) {
    const auto claimBase = std::uint32_t(claimNodes_.size());
    const auto itemBase = std::uint32_t(items_.size());
    const std::uint64_t textBase = pool_.size();
    pool_.append(batch.pool_);
    for (Item item : batch.items_) {
        item.text += textBase;
        item.claim += claimBase;
        items_.push_back(item);
    }
    for (std::size_t i = 0; i < batch.nodes_.size(); ++i) {
        const std::int64_t node = batch.nodes_[i];
        const std::size_t end =
            i + 1 < batch.nodes_.size() ? batch.firstItems_[i + 1] : batch.items_.size();
        unsigned kinds = 0;
        for (std::size_t k = batch.firstItems_[i]; k < end; ++k)
            kinds |= 1u << unsigned(batch.items_[k].kind);
        claimNodes_.push_back(node);
        claimKinds_.push_back(std::uint8_t(kinds));
        firstItems_.push_back(itemBase + batch.firstItems_[i]);

        // The file header first: nodes stay sorted.
        const std::int64_t parent = tree.parent(node);
        if (parent == qm::FileTree::kNoNode) {
            rootNodes_.push_back(node);
        } else {
            const std::int64_t grandparent = tree.parent(parent);
            if (grandparent != qm::FileTree::kNoNode)
                countIn(grandparent, kinds, tree);
            countIn(parent, kinds, tree);
        }
        ++totals_.claims;
        for (int kind = 0; kind < kProblemKindCount; ++kind)
            totals_.byKind[std::size_t(kind)] += (kinds >> kind) & 1;
    }
    batch = Batch();
}

void ProblemList::countIn(std::int64_t container, unsigned kinds, const qm::FileTree& tree) {
    std::int64_t at = indexIn(containerNodes_, container);
    if (at < 0) {
        // Claims come in tree order: a file header or batch not counted yet
        // follows every one that is.
        at = std::int64_t(containerNodes_.size());
        containerNodes_.push_back(container);
        containerCounts_.emplace_back();
        if (tree.parent(container) == qm::FileTree::kNoNode)
            rootNodes_.push_back(container);
    }
    Counts& counts = containerCounts_[std::size_t(at)];
    ++counts.claims;
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        counts.byKind[std::size_t(kind)] += (kinds >> kind) & 1;
}

void ProblemList::clear() {
    *this = ProblemList();
}

std::int64_t ProblemList::firstItem(std::int64_t claim) const {
    return firstItems_[std::size_t(claim)];
}

std::int64_t ProblemList::endItem(std::int64_t claim) const {
    return claim + 1 < claimCount() ? firstItems_[std::size_t(claim + 1)] : itemCount();
}

std::int64_t ProblemList::findClaim(std::int64_t node) const {
    return indexIn(claimNodes_, node);
}

const ProblemList::Counts* ProblemList::findContainer(std::int64_t node) const {
    const std::int64_t at = indexIn(containerNodes_, node);
    return at < 0 ? nullptr : &containerCounts_[std::size_t(at)];
}

std::int64_t ProblemList::nextClaimNode(std::int64_t node) const {
    const auto it = std::upper_bound(claimNodes_.begin(), claimNodes_.end(), node);
    return it == claimNodes_.end() ? -1 : *it;
}

std::int64_t ProblemList::previousClaimNode(std::int64_t node) const {
    const auto it = std::lower_bound(claimNodes_.begin(), claimNodes_.end(), node);
    return it == claimNodes_.begin() ? -1 : *std::prev(it);
}

std::string_view ProblemList::record(const Item& item) const {
    return std::string_view(pool_).substr(item.text, item.recordLength);
}

std::string_view ProblemList::value(const Item& item) const {
    return std::string_view(pool_).substr(item.text + item.recordLength, item.valueLength);
}

std::size_t ProblemList::memoryBytes() const {
    return bytesOf(claimNodes_) + bytesOf(claimKinds_) + bytesOf(firstItems_) + bytesOf(items_) +
           pool_.capacity() + bytesOf(containerNodes_) + bytesOf(containerCounts_) +
           bytesOf(rootNodes_);
}

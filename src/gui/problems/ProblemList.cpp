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

// The kinds a claim can have without a field, in the order of their rows.
constexpr ProblemKind kFieldlessKinds[] = {ProblemKind::Unreadable, ProblemKind::CouldNotCheck,
                                           ProblemKind::NoXa0};

bool hasKind(unsigned kinds, ProblemKind kind) {
    return (kinds >> unsigned(kind)) & 1u;
}

} // namespace

ProblemKind ProblemList::Counts::worst() const {
    unsigned kinds = 0;
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        kinds |= byKind[std::size_t(kind)] ? 1u << kind : 0u;
    return worstOf(kinds);
}

ProblemKind ProblemList::worstOf(unsigned kinds) {
    // The lowest kind is the most serious.
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        if (hasKind(kinds, ProblemKind(kind)))
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
    item.claim = std::uint32_t(nodes_.size() - 1);
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
    nodes_.push_back(node);
    firstItems_.push_back(std::uint32_t(first));
    if (verdict.totalsFailed())
        for (const qm::TotalsComparison& comparison : verdict.mismatches)
            if (!comparison.match)
                addItem(ProblemKind::TotalsDoNotCompute, "XA0", comparison.field, comparison.stated,
                        comparison.computed);
    for (const qm::InvalidField& field : verdict.invalid)
        addItem(ProblemKind::InvalidValue, field.node, field.field, field.value, 0);
    unsigned kinds = 0;
    for (std::size_t i = first; i < items_.size(); ++i)
        kinds |= 1u << unsigned(items_[i].kind);
    if (verdict.unreadable)
        kinds |= 1u << unsigned(ProblemKind::Unreadable);
    if (verdict.totals == qm::TotalsState::CouldNotCheck)
        kinds |= 1u << unsigned(ProblemKind::CouldNotCheck);
    if (verdict.totals == qm::TotalsState::NoTrailer)
        kinds |= 1u << unsigned(ProblemKind::NoXa0);
    if (kinds == 0) {
        // Totals said not to compute, yet no field disagreed: nothing to show.
        nodes_.pop_back();
        firstItems_.pop_back();
        return false;
    }
    kinds_.push_back(std::uint8_t(kinds));
    return true;
}

void ProblemList::append(const qm::FileTree& tree, const Batch& batch, std::size_t first,
                         std::size_t count) {
    remarked_.clear();
    const std::size_t end = std::min(first + count, batch.nodes_.size());
    for (std::size_t i = first; i < end; ++i) {
        const std::int64_t node = batch.nodes_[i];
        const unsigned kinds = batch.kinds_[i];
        const std::size_t itemsEnd =
            i + 1 < batch.nodes_.size() ? batch.firstItems_[i + 1] : batch.items_.size();
        claimNodes_.push_back(node);
        claimKinds_.push_back(std::uint8_t(kinds));
        firstItems_.push_back(std::uint32_t(items_.size()));
        firstRows_.push_back(std::uint32_t(rows_));
        for (std::size_t k = batch.firstItems_[i]; k < itemsEnd; ++k) {
            Item item = batch.items_[k];
            const std::string_view text =
                std::string_view(batch.pool_)
                    .substr(item.text, std::size_t(item.recordLength) + item.valueLength);
            item.text = pool_.size();
            item.claim = std::uint32_t(claimNodes_.size() - 1);
            pool_.append(text);
            items_.push_back(item);
        }
        rows_ += std::int64_t(itemsEnd - batch.firstItems_[i]);
        for (const ProblemKind kind : kFieldlessKinds)
            rows_ += hasKind(kinds, kind) ? 1 : 0;

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
    std::sort(remarked_.begin(), remarked_.end());
    remarked_.erase(std::unique(remarked_.begin(), remarked_.end()), remarked_.end());
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
    const bool marked = counts.claims > 0;
    const ProblemKind before = counts.worst();
    ++counts.claims;
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        counts.byKind[std::size_t(kind)] += (kinds >> kind) & 1;
    if (!marked || counts.worst() != before)
        remarked_.push_back(container);
}

void ProblemList::clear() {
    *this = ProblemList();
}

std::int64_t ProblemList::endRow(std::int64_t claim) const {
    return claim + 1 < claimCount() ? firstRows_[std::size_t(claim + 1)] : rows_;
}

ProblemList::Item ProblemList::row(std::int64_t row) const {
    const auto after = std::upper_bound(firstRows_.begin(), firstRows_.end(), std::uint32_t(row));
    const auto claim = std::size_t(after - firstRows_.begin()) - 1;
    const std::int64_t firstItem = firstItems_[claim];
    const std::int64_t endItem =
        claim + 1 < firstItems_.size() ? firstItems_[claim + 1] : std::int64_t(items_.size());
    std::int64_t offset = row - firstRows_[claim];
    if (offset < endItem - firstItem)
        return items_[std::size_t(firstItem + offset)];
    offset -= endItem - firstItem;
    Item item;
    item.claim = std::uint32_t(claim);
    for (const ProblemKind kind : kFieldlessKinds) {
        if (hasKind(claimKinds_[claim], kind) && offset-- == 0) {
            item.kind = kind;
            break;
        }
    }
    return item;
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
    return bytesOf(claimNodes_) + bytesOf(claimKinds_) + bytesOf(firstItems_) +
           bytesOf(firstRows_) + bytesOf(items_) + pool_.capacity() + bytesOf(containerNodes_) +
           bytesOf(containerCounts_) + bytesOf(rootNodes_);
}

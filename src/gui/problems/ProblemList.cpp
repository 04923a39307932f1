#include "gui/problems/ProblemList.h"

#include "core/check/ProblemWords.h"
#include "core/claim/AssembledClaim.h"
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

bool ProblemList::Batch::add(std::int64_t node, const qm::FileCheck::Rows& rows,
                             const qm::LayoutCatalogue* layouts) {
    if (rows.empty())
        return false;
    nodes_.push_back(node);
    firstItems_.push_back(std::uint32_t(items_.size()));
    unsigned kinds = 0;
    for (const qm::ProblemRow& row : rows) {
        const qm::Problem& problem = row.problem;
        const auto kind = ProblemKind(problem.kind);
        kinds |= 1u << unsigned(kind);
        addItem(kind, qm::ProblemWords::recordKey(problem, layouts), problem.field, row.value,
                kind == ProblemKind::CouldNotCheck ? problem.found : problem.expected);
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
        firstRows_.push_back(std::uint32_t(items_.size()));
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
    return claim + 1 < claimCount() ? firstRows_[std::size_t(claim + 1)] : rowCount();
}

ProblemList::Item ProblemList::row(std::int64_t row) const {
    return items_[std::size_t(row)];
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

qm::ProblemRow ProblemList::problemRow(const Item& item) const {
    qm::ProblemRow row;
    row.problem.kind = qm::Problem::Kind(item.kind);
    row.problem.scope = qm::Problem::Scope::Claim;
    std::string_view type;
    int occurrence = 0;
    qm::AssembledClaim::parseKey(record(item), type, occurrence);
    row.problem.recordType = std::int8_t(qm::recordTypeIndex(type));
    row.problem.occurrence = std::int16_t(occurrence);
    row.problem.field = item.field;
    if (item.kind == ProblemKind::CouldNotCheck)
        row.problem.found = item.expected;
    else
        row.problem.expected = item.expected;
    row.value = value(item);
    return row;
}

std::size_t ProblemList::memoryBytes() const {
    return bytesOf(claimNodes_) + bytesOf(claimKinds_) + bytesOf(firstRows_) + bytesOf(items_) +
           pool_.capacity() + bytesOf(containerNodes_) + bytesOf(containerCounts_) +
           bytesOf(rootNodes_);
}

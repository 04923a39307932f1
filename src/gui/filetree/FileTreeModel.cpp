#include "gui/filetree/FileTreeModel.h"

#include "core/filetree/FileTree.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/common/ProblemMarks.h"

#include <algorithm>
#include <limits>

namespace {

const QList<int> kMarkRoles{Qt::DecorationRole, Qt::ToolTipRole};

// The entries of the first `limit` of a sorted list that lie in [from, to].
std::pair<std::int64_t, std::int64_t> entriesIn(const std::vector<std::int64_t>& list,
                                                std::size_t limit, std::int64_t from,
                                                std::int64_t to) {
    const auto begin = list.begin();
    const auto end = begin + std::ptrdiff_t(std::min(limit, list.size()));
    const auto first = std::lower_bound(begin, end, from);
    const auto last = std::upper_bound(first, end, to);
    return {first - begin, last - first};
}

// The same for the marked claims.
std::pair<std::int64_t, std::int64_t> claimsIn(const ProblemMarks& marks, std::size_t limit,
                                               std::int64_t from, std::int64_t to) {
    const auto shown = std::int64_t(limit);
    const std::int64_t first = std::min(marks.markedClaimsBefore(from), shown);
    const std::int64_t last = std::min(marks.markedClaimsBefore(to + 1), shown);
    return {first, last - first};
}

} // namespace

FileTreeModel::FileTreeModel(const qm::FileTree& tree, QObject* parent)
    : QAbstractItemModel(parent)
    , tree_(tree) {
}

void FileTreeModel::setProblems(const ProblemMarks* check) {
    if (check_)
        disconnect(check_, nullptr, this, nullptr);
    // Only the nodes shown change with the marks; all of them are shown again.
    const bool wasProblemsOnly = problemsOnly_;
    if (wasProblemsOnly)
        beginResetModel();
    check_ = check;
    problemsOnly_ = false;
    if (wasProblemsOnly)
        endResetModel();
    if (!check)
        return;
    connect(check, &ProblemMarks::marksAdded, this, &FileTreeModel::problemsAdded);
    connect(check, &ProblemMarks::relisted, this, [this] {
        if (problemsOnly_) {
            beginResetModel();
            showEveryProblem();
            endResetModel();
        }
    });
    connect(check, &ProblemMarks::aboutToClear, this, [this] {
        if (problemsOnly_)
            beginResetModel();
    });
    connect(check, &ProblemMarks::cleared, this, [this] {
        if (problemsOnly_) {
            shownClaims_ = shownContainers_ = shownRoots_ = 0;
            endResetModel();
        } else if (const int roots = rowCount()) {
            // Every node the view shows may have lost its mark.
            emit dataChanged(index(0, 0), index(roots - 1, 0), kMarkRoles);
        }
    });
    connect(check, &ProblemMarks::checkGoing, this, [this] {
        if (problemsOnly_)
            beginResetModel();
        const bool reset = problemsOnly_;
        check_ = nullptr;
        problemsOnly_ = false;
        if (reset)
            endResetModel();
    });
}

void FileTreeModel::setShownClaims(std::shared_ptr<const std::vector<std::int64_t>> claims) {
    beginResetModel();
    chosen_ = std::move(claims);
    chosenBatches_.clear();
    if (chosen_) {
        problemsOnly_ = false;
        // A claim's batch is the last batch before it: one walk beside the
        // batches, with no search per claim (there may be millions).
        const std::vector<std::int64_t>& batches = tree_.batchNodes();
        std::size_t after = 0; // the first batch after the claim
        for (const std::int64_t claim : *chosen_) {
            while (after < batches.size() && batches[after] < claim)
                ++after;
            if (after > 0 &&
                (chosenBatches_.empty() || chosenBatches_.back() != batches[after - 1]))
                chosenBatches_.push_back(batches[after - 1]);
        }
        chosenRoots_.clear();
        for (qint64 row = 0, roots = tree_.childCount(qm::FileTree::kNoNode); row < roots; ++row) {
            const std::int64_t node = tree_.child(qm::FileTree::kNoNode, row);
            if (tree_.recordType(node) == "AA0" ||
                std::binary_search(chosenBatches_.begin(), chosenBatches_.end(), node) ||
                std::binary_search(chosen_->begin(), chosen_->end(), node))
                chosenRoots_.push_back(node);
        }
    }
    endResetModel();
}

void FileTreeModel::setProblemsOnly(bool on) {
    if (on == problemsOnly_ || (on && (!check_ || chosen_)))
        return;
    beginResetModel();
    problemsOnly_ = on;
    if (on)
        showEveryProblem();
    endResetModel();
}

void FileTreeModel::showEveryProblem() {
    shownClaims_ = std::size_t(check_->markedClaimCount());
    shownContainers_ = check_->markedContainers().size();
    shownRoots_ = check_->markedRoots().size();
}

std::int64_t FileTreeModel::listed(Span::List list, std::int64_t i) const {
    if (chosen_) {
        switch (list) {
        case Span::List::Roots:
            return chosenRoots_[std::size_t(i)];
        case Span::List::Containers:
            return chosenBatches_[std::size_t(i)];
        case Span::List::Claims:
            return (*chosen_)[std::size_t(i)];
        case Span::List::None:
            break;
        }
        return -1;
    }
    switch (list) {
    case Span::List::Roots:
        return check_->markedRoots()[std::size_t(i)];
    case Span::List::Containers:
        return check_->markedContainers()[std::size_t(i)];
    case Span::List::Claims:
        return check_->markedClaim(i);
    case Span::List::None:
        break;
    }
    return -1;
}

FileTreeModel::Span FileTreeModel::shownChildren(qint64 node) const {
    if (node == qm::FileTree::kNoNode)
        return {Span::List::Roots, 0, chosen_ ? qint64(chosenRoots_.size()) : qint64(shownRoots_)};
    const std::string_view type = tree_.recordType(node);
    const qint64 children = tree_.childCount(node);
    if (type == "CA0" || children == 0)
        return {};
    // A file header's children are the batches up to its last; a batch's the
    // claims up to its last (a file header between them is no child, and is
    // in neither list).
    const qint64 last = tree_.child(node, children - 1);
    if (chosen_) {
        const bool header = type == "AA0";
        const std::vector<std::int64_t>& list = header ? chosenBatches_ : *chosen_;
        const auto [first, count] = entriesIn(list, list.size(), node + 1, last);
        return {header ? Span::List::Containers : Span::List::Claims, first, count};
    }
    if (type == "AA0") {
        const auto [first, count] =
            entriesIn(check_->markedContainers(), shownContainers_, node + 1, last);
        return {Span::List::Containers, first, count};
    }
    const auto [first, count] = claimsIn(*check_, shownClaims_, node + 1, last);
    return {Span::List::Claims, first, count};
}

qint64 FileTreeModel::shownRow(qint64 node) const {
    const Span span = shownChildren(tree_.parent(node));
    // The first of the span's nodes not before node.
    std::int64_t lo = 0, hi = span.count;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (listed(span.list, span.first + mid) < node)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < span.count && listed(span.list, span.first + lo) == node ? lo : -1;
}

bool FileTreeModel::isShown(qint64 node) const {
    if (node < 0 || node >= tree_.size())
        return false;
    return !selective() || shownRow(node) >= 0;
}

QModelIndex FileTreeModel::makeIndex(qint64 node, qint64 row) const {
    if (row < 0 || row > std::numeric_limits<int>::max())
        return {};
    return createIndex(int(row), 0, quintptr(node));
}

QModelIndex FileTreeModel::nodeIndex(qint64 node) const {
    if (node < 0 || node >= tree_.size())
        return {};
    return makeIndex(node, selective() ? shownRow(node) : tree_.rowInParent(node));
}

qint64 FileTreeModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? qint64(index.internalId()) : -1;
}

qint64 FileTreeModel::childCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const qint64 node = parent.isValid() ? nodeOf(parent) : qm::FileTree::kNoNode;
    if (selective())
        return shownChildren(node).count;
    if (node != countedNode_) {
        countedChildren_ = tree_.childCount(node);
        countedNode_ = node;
    }
    return countedChildren_;
}

QModelIndex FileTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || row >= childCount(parent))
        return {};
    const qint64 parentNode = parent.isValid() ? nodeOf(parent) : qm::FileTree::kNoNode;
    if (selective()) {
        const Span span = shownChildren(parentNode);
        return makeIndex(listed(span.list, span.first + row), row);
    }
    return makeIndex(tree_.child(parentNode, row), row);
}

QModelIndex FileTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return nodeIndex(tree_.parent(nodeOf(child)));
}

int FileTreeModel::rowCount(const QModelIndex& parent) const {
    // A view counts rows in int; no real claim file has that many children
    // under one node, but the count must never wrap.
    return int(qMin(childCount(parent), qint64(std::numeric_limits<int>::max())));
}

int FileTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FileTreeModel::hasChildren(const QModelIndex& parent) const {
    return childCount(parent) > 0;
}

QVariant FileTreeModel::mark(qint64 node) const {
    const QIcon icon = check_->mark(node);
    return icon.isNull() ? QVariant() : QVariant(icon);
}

QVariant FileTreeModel::toolTip(qint64 node) const {
    const QString text = check_->toolTip(node);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant FileTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        qm::FileTree::TextBuffer buffer;
        return CoreText::fromFile(tree_.text(nodeOf(index), buffer));
    }
    case Qt::DecorationRole:
        return check_ ? mark(nodeOf(index)) : QVariant();
    case Qt::ToolTipRole:
        // Nodes without problems leave the tree's own tooltip to show.
        return check_ ? toolTip(nodeOf(index)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags FileTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    if (index.isValid() && tree_.childCount(nodeOf(index)) == 0)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void FileTreeModel::problemsAdded(qint64 firstClaim) {
    if (problemsOnly_)
        showNewProblems();
    markNewProblems(firstClaim);
}

void FileTreeModel::showNewProblems() {
    const std::vector<std::int64_t>& containers = check_->markedContainers();
    const std::vector<std::int64_t>& roots = check_->markedRoots();
    const auto claimCount = std::size_t(check_->markedClaimCount());
    auto nextOf = [](const std::vector<std::int64_t>& list, std::size_t shown) {
        return shown < list.size() ? list[shown] : std::numeric_limits<std::int64_t>::max();
    };
    auto nextClaim = [&](std::size_t shown) {
        return shown < claimCount ? check_->markedClaim(std::int64_t(shown))
                                  : std::numeric_limits<std::int64_t>::max();
    };
    // The new nodes in node order, each added as the last child of its
    // parent: a file header or batch before the claims beneath it.
    for (;;) {
        const std::int64_t node =
            std::min({nextClaim(shownClaims_), nextOf(containers, shownContainers_),
                      nextOf(roots, shownRoots_)});
        if (node == std::numeric_limits<std::int64_t>::max())
            break;
        const bool root = nextOf(roots, shownRoots_) == node;
        const bool container = nextOf(containers, shownContainers_) == node;
        const bool claim = nextClaim(shownClaims_) == node;
        const std::int64_t parentNode = root ? qm::FileTree::kNoNode : tree_.parent(node);
        const QModelIndex parentIndex = nodeIndex(parentNode);
        const qint64 row = root ? qint64(shownRoots_) : shownChildren(parentNode).count;
        // Claims of one batch go in together.
        std::size_t count = 1;
        if (claim && !root) {
            const std::int64_t nextContainer = nextOf(containers, shownContainers_);
            while (shownClaims_ + count < claimCount &&
                   nextClaim(shownClaims_ + count) < nextContainer &&
                   tree_.parent(nextClaim(shownClaims_ + count)) == parentNode)
                ++count;
        }
        beginInsertRows(parentIndex, int(row), int(row + qint64(count) - 1));
        shownRoots_ += root ? 1 : 0;
        shownContainers_ += container ? 1 : 0;
        shownClaims_ += claim ? count : 0;
        endInsertRows();
    }
}

void FileTreeModel::markNewProblems(qint64 firstClaim) {
    const qint64 count = check_->markedClaimCount();
    for (qint64 claim = firstClaim; claim < count;) {
        // One range of rows for the claims of one batch.
        const qint64 first = check_->markedClaim(claim);
        const qint64 batch = tree_.parent(first);
        qint64 last = first;
        while (++claim < count && tree_.parent(check_->markedClaim(claim)) == batch)
            last = check_->markedClaim(claim);
        const QModelIndex top = nodeIndex(first);
        const QModelIndex bottom = nodeIndex(last);
        if (top.isValid() && bottom.isValid())
            emit dataChanged(top, bottom, kMarkRoles);
    }
    // A file header or batch is told of only when its mark changes: the
    // counts in its tooltip are read afresh whenever it is shown, and a view
    // looking up the file header for every claim marked would walk its rows
    // from the top each time.
    for (const std::int64_t container : check_->remarkedContainers()) {
        const QModelIndex index = nodeIndex(container);
        if (index.isValid())
            emit dataChanged(index, index, kMarkRoles);
    }
}

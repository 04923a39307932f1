#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

class ProblemMarks;

namespace qm {
class FileTree;
}

// The file tree as the tree view sees it: one column, one row per node, the
// node's number as the index's internal id. Texts are made only when the view
// asks, so a tree of millions of claims costs no more than the compact tree
// itself; nodes without children say so, so that the view keeps no state for
// a claim.
//
// With a whole-file check attached, claims with problems, file headers and
// batches with problems of their own, and those above claims with problems
// carry a mark (decoration) and a tooltip saying what is wrong, read from the
// check's compact lists as the view asks. In "problems only" mode the model
// shows only those nodes, mapped through the same lists, and grows as the
// check finds more.
class FileTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The tree must outlive the model and must not change while it is shown.
    explicit FileTreeModel(const qm::FileTree& tree, QObject* parent = nullptr);

    // The index of a node (0-based, as the tree numbers them); invalid for a
    // number outside the tree, or a node the model does not show.
    QModelIndex nodeIndex(qint64 node) const;
    // The node behind an index, or -1 for an invalid index.
    static qint64 nodeOf(const QModelIndex& index);

    // Shows the marks of a whole-file check (nullptr: no marks). The check
    // tells the model when its marks grow, are cleared or go.
    void setProblems(const ProblemMarks* check);
    // Shows only claims with problems and the file headers and batches above
    // them (a reset of the model), or every node again.
    void setProblemsOnly(bool on);
    bool problemsOnly() const { return problemsOnly_; }
    // Shows only these claims (nodes, ascending), under the batches that
    // hold one and every file header (a reset of the model); null: every
    // node again, or the claims with problems when problemsOnly() was on.
    // While claims are chosen, problems-only mode is off.
    void setShownClaims(std::shared_ptr<const std::vector<std::int64_t>> claims);
    bool showsChosenClaims() const { return chosen_ != nullptr; }
    // Whether the model shows a node (every node unless problemsOnly() or
    // claims are chosen).
    bool isShown(qint64 node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Where a parent's children lie in the lists of marked nodes, in
    // problems-only mode.
    struct Span {
        enum class List { None, Roots, Containers, Claims };
        List list = List::None;
        std::int64_t first = 0;
        std::int64_t count = 0;
    };

    // Only some nodes are shown: those with problems, or the claims chosen.
    bool selective() const { return problemsOnly_ || chosen_; }
    qint64 childCount(const QModelIndex& parent) const;
    Span shownChildren(qint64 node) const;
    // The i-th node of a list.
    std::int64_t listed(Span::List list, std::int64_t i) const;
    qint64 shownRow(qint64 node) const;
    QModelIndex makeIndex(qint64 node, qint64 row) const;
    QVariant mark(qint64 node) const;
    QVariant toolTip(qint64 node) const;
    void problemsAdded(qint64 firstClaim);
    void showNewProblems();
    void showEveryProblem();
    void markNewProblems(qint64 firstClaim);

    const qm::FileTree& tree_;
    QPointer<const ProblemMarks> check_;
    bool problemsOnly_ = false;
    // The claims chosen, and the batches that hold them (ascending); null: none chosen.
    std::shared_ptr<const std::vector<std::int64_t>> chosen_;
    std::vector<std::int64_t> chosenBatches_;
    std::vector<std::int64_t> chosenRoots_; // file headers, and what of the chosen has no parent
    // In problems-only mode, how much of each list of marked nodes the model
    // shows: it catches up with the lists as they grow.
    std::size_t shownClaims_ = 0;
    std::size_t shownContainers_ = 0;
    std::size_t shownRoots_ = 0;
    // The view asks for the rows of one parent after another: its child count
    // is kept at hand. -2: none yet.
    mutable qint64 countedNode_ = -2;
    mutable qint64 countedChildren_ = 0;
};

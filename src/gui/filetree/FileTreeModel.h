#pragma once

#include <QAbstractItemModel>

namespace qm {
class FileTree;
}

// The file tree as the tree view sees it: one column, one row per node, the
// node's number as the index's internal id. Texts are made only when the view
// asks, so a tree of millions of claims costs no more than the compact tree
// itself; nodes without children say so, so that expanding the whole tree
// keeps no state for each claim.
class FileTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The tree must outlive the model and must not change while it is shown.
    explicit FileTreeModel(const qm::FileTree& tree, QObject* parent = nullptr);

    // The index of a node (0-based, as the tree numbers them); invalid for a
    // number outside the tree.
    QModelIndex nodeIndex(qint64 node) const;
    // The node behind an index, or -1 for an invalid index.
    static qint64 nodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    qint64 childCount(const QModelIndex& parent) const;

    const qm::FileTree& tree_;
    // The view asks for the rows of one parent after another: its child count
    // is kept at hand. -2: none yet.
    mutable qint64 countedNode_ = -2;
    mutable qint64 countedChildren_ = 0;
};

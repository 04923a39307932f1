#include "gui/filetree/FileTreeModel.h"

#include "core/filetree/FileTree.h"
#include "gui/common/CoreText.h"

#include <limits>

FileTreeModel::FileTreeModel(const qm::FileTree& tree, QObject* parent)
    : QAbstractItemModel(parent)
    , tree_(tree) {
}

QModelIndex FileTreeModel::nodeIndex(qint64 node) const {
    if (node < 0 || node >= tree_.size())
        return {};
    const qint64 row = tree_.rowInParent(node);
    if (row > std::numeric_limits<int>::max())
        return {};
    return createIndex(int(row), 0, quintptr(node));
}

qint64 FileTreeModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? qint64(index.internalId()) : -1;
}

qint64 FileTreeModel::childCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const qint64 node = parent.isValid() ? nodeOf(parent) : qm::FileTree::kNoNode;
    if (node != countedNode_) {
        countedChildren_ = tree_.childCount(node);
        countedNode_ = node;
    }
    return countedChildren_;
}

QModelIndex FileTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || row >= childCount(parent))
        return {};
    const qint64 node = tree_.child(parent.isValid() ? nodeOf(parent) : qm::FileTree::kNoNode, row);
    return createIndex(row, 0, quintptr(node));
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

QVariant FileTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    qm::FileTree::TextBuffer buffer;
    return CoreText::fromFile(tree_.text(nodeOf(index), buffer));
}

Qt::ItemFlags FileTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    if (index.isValid() && tree_.childCount(nodeOf(index)) == 0)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

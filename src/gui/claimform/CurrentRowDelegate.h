#pragma once

#include <QStyledItemDelegate>

// Paints a table's cells as usual and frames the whole current row, with or
// without the focus, so that the row is marked without painting over the
// cells' own colours (an invalid value's white on red stays readable). A text
// cut short by its column shows whole in the cell's tooltip.
class CurrentRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

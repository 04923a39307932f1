#include "gui/claimform/CurrentRowDelegate.h"

#include "gui/common/PlainText.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

void CurrentRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    // The row's frame stands for the current cell's focus rectangle.
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);

    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!view || !view->currentIndex().isValid() || view->currentIndex().row() != index.row())
        return;
    const int width = 2;
    const QRect cell = option.rect;
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(option.palette.color(QPalette::Active, QPalette::Highlight));
    painter->drawRect(cell.left(), cell.top(), cell.width(), width);
    painter->drawRect(cell.left(), cell.bottom() - width + 1, cell.width(), width);
    if (index.column() == 0)
        painter->drawRect(cell.left(), cell.top(), width, cell.height());
    if (index.column() == index.model()->columnCount(index.parent()) - 1)
        painter->drawRect(cell.right() - width + 1, cell.top(), width, cell.height());
    painter->restore();
}

bool CurrentRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && index.isValid() &&
        index.data(Qt::ToolTipRole).toString().isEmpty()) {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QRect room = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
        if (cell.fontMetrics.horizontalAdvance(cell.text) > room.width()) {
            QToolTip::showText(event->globalPos(), PlainText::toolTip(cell.text), view->viewport(),
                               option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

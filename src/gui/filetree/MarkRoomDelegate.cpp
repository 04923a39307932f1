#include "gui/filetree/MarkRoomDelegate.h"

void MarkRoomDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // A row without a mark lays out as if it had one, drawn as nothing.
    option->features |= QStyleOptionViewItem::HasDecoration;
}

#pragma once

#include <QStyledItemDelegate>

// Draws the file tree's rows with room for a problem mark before every text,
// marked or not: marked and unmarked nodes line up, and a row is as high from
// the start as it is once the whole-file check's first mark arrives.
class MarkRoomDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

#pragma once

#include <QStyledItemDelegate>

// Draws a cell's text with the part that matched a search emphasised: bold,
// on the highlight colour. The part comes from the model as a QPoint(first
// character, length) under the role given; a cell without one is drawn as usual.
class MatchDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    MatchDelegate(int matchRole, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int matchRole_;
};

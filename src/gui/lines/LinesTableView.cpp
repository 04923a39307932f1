#include "gui/lines/LinesTableView.h"

#include <QScrollBar>

LinesTableView::LinesTableView(QWidget* parent)
    : QTableView(parent) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void LinesTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(across);
}

void LinesTableView::showAcross(int column, int from, int to) {
    QScrollBar* bar = horizontalScrollBar();
    // In the viewport's coordinates, as the view stands now.
    const int left = columnViewportPosition(column) + from;
    const int right = columnViewportPosition(column) + to;
    const int width = viewport()->width();
    if (left < 0 || right - left > width)
        bar->setValue(bar->value() + left);
    else if (right > width)
        bar->setValue(bar->value() + right - width);
}

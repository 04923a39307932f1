#include "gui/lines/LinesTableView.h"

#include <QScrollBar>

void LinesTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(across);
}

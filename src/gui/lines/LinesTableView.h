#pragma once

#include <QTableView>

// The lines' table: a line is far wider than the window, so a click on it or
// a line gone to moves the rows into view but never sideways, which would
// carry the line numbers out of sight; across, the user scrolls.
class LinesTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

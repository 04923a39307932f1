#pragma once

#include <QTableView>

class LineTableModel;

// The lines' table: a line is far wider than the window, so a click on it or
// a line gone to moves the rows into view but never sideways, which would
// carry the line numbers out of sight; across, the user scrolls, a pixel at
// a time (a step of a whole column would leap over most of a line).
class LinesTableView : public QTableView {
    Q_OBJECT
public:
    explicit LinesTableView(QWidget* parent = nullptr);

    // Shows the model's lines: rows of one height, the columns sized to
    // their widest text.
    void setLines(LineTableModel* model);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // Scrolls across, as little as it can, so that pixels `from` to `to` of a
    // column's cell are in view (the first of them when not all fit).
    void showAcross(int column, int from, int to);
};

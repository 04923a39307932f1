#pragma once

#include <QAbstractItemView>
#include <QObject>
#include <cstdint>

class LineTableModel;
class LinesTableView;
class QScrollBar;

// Ten million lines are more rows than a table view should hold (it keeps
// bytes for every row), so the model shows a window of them and a scroll
// bar of the whole file stands in for the view's own. Moving that bar, or
// the view near the window's ends (keys, wheel), moves the window, the top
// line and the current line staying where they were; Ctrl+Home and Ctrl+End
// go to the file's first and last lines.
class LineWindowScroller : public QObject {
    Q_OBJECT
public:
    LineWindowScroller(LinesTableView& grid, LineTableModel& model, QScrollBar& bar);

    // Moves the window, if need be, so that line has a row.
    void reveal(std::int64_t line);
    // Makes a line's cell in column current, its row selected, and scrolls
    // it into view; false when the file has no such line.
    bool select(std::int64_t line, int column,
                QAbstractItemView::ScrollHint hint = QAbstractItemView::EnsureVisible);
    // The line made current last, in the window or not; 0 for none.
    std::int64_t currentLine() const { return current_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void barMoved(int value);
    void viewMoved();
    void currentChanged(const QModelIndex& current);
    // The bar's range and place from the view's.
    void update();
    // The window moved so that its middle is near the view's, if the view
    // nears one of its ends (after the event that moved the view).
    void recentreNearEnds();
    // Moves the window about line `top` + the view's half, the view's top
    // line staying `top` (0-based: lines above the view).
    void moveWindow(std::int64_t top);
    int page() const;

    LinesTableView& grid_;
    LineTableModel& model_;
    QScrollBar& bar_;
    bool syncing_ = false;
    bool recentreQueued_ = false;
    std::int64_t current_ = 0;
};

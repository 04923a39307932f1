#include "gui/lines/LineWindowScroller.h"

#include "gui/lines/LineTableModel.h"
#include "gui/lines/LinesTableView.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <climits>

LineWindowScroller::LineWindowScroller(LinesTableView& grid, LineTableModel& model, QScrollBar& bar)
    : QObject(&grid)
    , grid_(grid)
    , model_(model)
    , bar_(bar) {
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* own = grid.verticalScrollBar();
    connect(own, &QScrollBar::valueChanged, this, &LineWindowScroller::viewMoved);
    connect(own, &QScrollBar::rangeChanged, this, &LineWindowScroller::update);
    connect(&bar, &QScrollBar::valueChanged, this, &LineWindowScroller::barMoved);
    connect(&model, &LineTableModel::linesChanged, this, &LineWindowScroller::update);
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        // Another index's lines, not the window moved: no line is current.
        if (!syncing_)
            current_ = 0;
        update();
    });
    connect(grid.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &LineWindowScroller::currentChanged);
    grid.installEventFilter(this);
    update();
}

int LineWindowScroller::page() const {
    return std::max(1, grid_.verticalScrollBar()->pageStep());
}

void LineWindowScroller::update() {
    const QScrollBar* own = grid_.verticalScrollBar();
    const std::int64_t top = model_.firstLine() - 1 + own->value();
    const std::int64_t last = std::max<std::int64_t>(0, model_.lineCount() - page());
    const QSignalBlocker quiet(&bar_);
    bar_.setRange(0, int(std::min<std::int64_t>(last, INT_MAX)));
    bar_.setPageStep(page());
    bar_.setSingleStep(own->singleStep());
    bar_.setValue(int(std::min<std::int64_t>(top, INT_MAX)));
    bar_.setVisible(bar_.maximum() > 0);
}

void LineWindowScroller::viewMoved() {
    if (syncing_)
        return;
    update();
    recentreNearEnds();
}

void LineWindowScroller::barMoved(int value) {
    if (syncing_)
        return;
    const std::int64_t first = model_.firstLine() - 1;
    if (value < first || value + page() > first + model_.rowCount()) {
        moveWindow(value);
        return;
    }
    syncing_ = true;
    grid_.verticalScrollBar()->setValue(int(value - first));
    syncing_ = false;
    recentreNearEnds();
}

void LineWindowScroller::recentreNearEnds() {
    const int rows = model_.rowCount();
    const int at = grid_.verticalScrollBar()->value();
    const int margin = rows / 8;
    const bool nearTop = model_.firstLine() > 1 && at < margin;
    const bool nearEnd =
        model_.firstLine() - 1 + rows < model_.lineCount() && at + page() > rows - margin;
    if (recentreQueued_ || !(nearTop || nearEnd))
        return;
    // Not inside the scroll that got here: a reset under the view's feet.
    recentreQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        recentreQueued_ = false;
        moveWindow(model_.firstLine() - 1 + grid_.verticalScrollBar()->value());
    });
}

void LineWindowScroller::moveWindow(std::int64_t top) {
    const QModelIndex current = grid_.currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    syncing_ = true;
    if (model_.centreOn(top + page() / 2 + 1)) {
        // The view's range fits the rows the model has now.
        grid_.doItemsLayout();
        const int row = model_.rowOf(current_);
        if (row >= 0)
            grid_.selectionModel()->setCurrentIndex(model_.index(row, column),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    }
    grid_.verticalScrollBar()->setValue(int(top - (model_.firstLine() - 1)));
    syncing_ = false;
    update();
}

void LineWindowScroller::reveal(std::int64_t line) {
    if (line >= 1 && line <= model_.lineCount() && model_.rowOf(line) < 0)
        moveWindow(std::max<std::int64_t>(0, line - 1 - page() / 2));
}

void LineWindowScroller::currentChanged(const QModelIndex& current) {
    if (current.isValid())
        current_ = model_.lineOf(current.row());
}

bool LineWindowScroller::select(std::int64_t line, int column, QAbstractItemView::ScrollHint hint) {
    reveal(line);
    const int row = model_.rowOf(line);
    if (row < 0)
        return false;
    const QModelIndex at = model_.index(row, column);
    grid_.selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    grid_.scrollTo(at, hint);
    return true;
}

bool LineWindowScroller::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &grid_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->modifiers().testFlag(Qt::ControlModifier) &&
        (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
        const QModelIndex current = grid_.currentIndex();
        select(key->key() == Qt::Key_Home ? 1 : model_.lineCount(),
               current.isValid() ? current.column() : 0);
        return true;
    }
    // The keys move on from the current line, though the window left it.
    if (!grid_.currentIndex().isValid() && current_ > 0)
        reveal(current_);
    return false;
}

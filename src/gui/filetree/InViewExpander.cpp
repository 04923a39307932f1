#include "gui/filetree/InViewExpander.h"

#include "gui/filetree/FileTreeModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTreeView>

InViewExpander::InViewExpander(QTreeView* view)
    : QObject(view)
    , view_(view) {
    view->viewport()->installEventFilter(this);
    connect(view, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        closedByUser_.insert(FileTreeModel::nodeOf(index));
    });
    connect(view, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        closedByUser_.erase(FileTreeModel::nodeOf(index));
    });
    // A reset forgets every open row, as the view does: all open again; the
    // column fits the rows then shown, narrower too.
    connect(view->model(), &QAbstractItemModel::modelReset, this, [this] {
        closedByUser_.clear();
        columnFitted_ = false;
    });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &InViewExpander::scrolled);
}

void InViewExpander::scrolled(int value) {
    if (!opening_) {
        scrolledUp_ = value < lastScroll_;
        jumped_ = qAbs(value - lastScroll_) > view_->verticalScrollBar()->pageStep();
    }
    lastScroll_ = value;
}

bool InViewExpander::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == view_->viewport()) {
        openRowsInView();
        fitColumnToRowsInView();
    }
    return QObject::eventFilter(watched, event);
}

void InViewExpander::fitColumnToRowsInView() {
    // The header measures only the rows in view (its precision is 0): a few
    // dozen texts. The column only grows, so that it stands still while the
    // user scrolls past shorter rows; with no rows it keeps its width, as a
    // column of none would leave no point in the view on a row.
    QHeaderView* header = view_->header();
    const int wanted = static_cast<const QAbstractItemView*>(view_)->sizeHintForColumn(0);
    if (wanted > 0 && (wanted > header->sectionSize(0) || !columnFitted_)) {
        header->resizeSection(0, wanted);
        columnFitted_ = true;
    }
}

void InViewExpander::openRowsInView() {
    if (opening_)
        return;
    const QScopedValueRollback<bool> guard(opening_, true);
    const QRect viewRect = view_->viewport()->rect();
    QScrollBar* bar = view_->verticalScrollBar();
    if (jumped_ && bar->maximum() > 0 && bar->value() == bar->maximum()) {
        // Whoever jumped to the end (the End key, the thumb) stays there,
        // however much opens above it.
        while (openVisibleRows())
            bar->setValue(bar->maximum());
        return;
    }
    // Rows open below themselves, so the top row never moves; the current
    // row, or the bottom one while the user scrolls up, is kept in place.
    QModelIndex anchor = view_->currentIndex();
    if (!anchor.isValid() || !viewRect.intersects(view_->visualRect(anchor)))
        anchor = scrolledUp_ ? lastRowInView() : QModelIndex();
    const QPersistentModelIndex kept(anchor);
    const int keptTop = view_->visualRect(anchor).top();
    // Opening a row can bring more rows with children into view (a file
    // header's batches): look again until none is left to open.
    while (openVisibleRows()) {
        if (!kept.isValid())
            continue;
        const int moved = view_->visualRect(kept).top() - keptTop;
        if (moved == 0)
            continue;
        const int rowHeight = qMax(1, view_->visualRect(kept).height());
        bar->setValue(bar->value() +
                      (view_->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                           ? moved / rowHeight
                           : moved));
    }
}

QModelIndex InViewExpander::lastRowInView() const {
    QModelIndex last;
    for (QModelIndex index = view_->indexAt(QPoint(0, 0)); isInView(index);
         index = view_->indexBelow(index))
        last = index;
    return last;
}

bool InViewExpander::isInView(const QModelIndex& index) const {
    return index.isValid() && view_->visualRect(index).top() < view_->viewport()->height();
}

bool InViewExpander::openVisibleRows() {
    const QAbstractItemModel* model = view_->model();
    bool opened = false;
    // Each row opened pushes those below it down: whether a row is in view
    // is asked afresh.
    for (QModelIndex index = view_->indexAt(QPoint(0, 0)); isInView(index);
         index = view_->indexBelow(index)) {
        if (!view_->isExpanded(index) && model->hasChildren(index) &&
            closedByUser_.count(FileTreeModel::nodeOf(index)) == 0) {
            view_->expand(index);
            opened = true;
        }
    }
    return opened;
}

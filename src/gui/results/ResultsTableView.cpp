#include "gui/results/ResultsTableView.h"

#include <QEvent>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

namespace {

// Cells leave a pixel at their right and bottom for the grid, as in a QTableView.
constexpr int kGrid = 1;

// Rows as high as a line of the font, with room above and below it.
int rowHeightFor(const QFontMetrics& metrics) {
    return qMax(1, metrics.height() + 6);
}

} // namespace

ResultsTableView::ResultsTableView(QWidget* parent)
    : QAbstractItemView(parent) {
    rowHeight_ = rowHeightFor(fontMetrics());
    header_ = new QHeaderView(Qt::Horizontal, this);
    header_->setObjectName(QStringLiteral("hdrColumns"));
    header_->setSectionsClickable(true);
    header_->setHighlightSections(true);
    connect(header_, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    connect(header_, &QHeaderView::sectionMoved, viewport(), qOverload<>(&QWidget::update));
    connect(header_, &QHeaderView::sectionCountChanged, this, &ResultsTableView::updateGeometries);
    connect(header_, &QHeaderView::geometriesChanged, this, &ResultsTableView::updateGeometries);
    connect(header_, &QHeaderView::sectionHandleDoubleClicked, this,
            &ResultsTableView::resizeColumnToContents);
    connect(header_, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                if (sortingEnabled_ && model())
                    model()->sort(column, order);
            });
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
}

ResultsTableView::~ResultsTableView() {
    // The widget's own destructor hides it, and the header tells of its new
    // geometry then: not to this part of the view, gone by that time.
    disconnect(header_, nullptr, this, nullptr);
    if (model())
        disconnect(model(), nullptr, this, nullptr);
}

void ResultsTableView::setModel(QAbstractItemModel* model) {
    if (model == this->model())
        return;
    if (this->model())
        disconnect(this->model(), nullptr, this, nullptr);
    header_->setModel(model);
    QAbstractItemView::setModel(model);
    if (model) {
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(model, signal, this, &ResultsTableView::rowsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &ResultsTableView::rowsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ResultsTableView::rowsChanged);
    }
    rowsChanged();
}

void ResultsTableView::setSelectionModel(QItemSelectionModel* selectionModel) {
    QAbstractItemView::setSelectionModel(selectionModel);
    header_->setSelectionModel(selectionModel);
}

void ResultsTableView::setColumnHidden(int column, bool hide) {
    header_->setSectionHidden(column, hide);
}

bool ResultsTableView::isColumnHidden(int column) const {
    return header_->isSectionHidden(column);
}

int ResultsTableView::columnWidth(int column) const {
    return header_->sectionSize(column);
}

void ResultsTableView::setColumnWidth(int column, int width) {
    header_->resizeSection(column, width);
}

void ResultsTableView::resizeColumnToContents(int column) {
    header_->resizeSection(column,
                           qMax(sizeHintForColumn(column),
                                header_->isHidden() ? 0 : header_->sectionSizeHint(column)));
}

void ResultsTableView::resizeColumnsToContents() {
    for (int column = 0; column < header_->count(); ++column)
        if (!isColumnHidden(column))
            resizeColumnToContents(column);
}

void ResultsTableView::setSortingEnabled(bool enable) {
    sortingEnabled_ = enable;
    header_->setSortIndicatorShown(enable);
    if (enable)
        sortByColumn(header_->sortIndicatorSection(), header_->sortIndicatorOrder());
}

void ResultsTableView::sortByColumn(int column, Qt::SortOrder order) {
    if (column < -1 || !model())
        return;
    const bool changes =
        header_->sortIndicatorSection() != column || header_->sortIndicatorOrder() != order;
    header_->setSortIndicator(column, order);
    // A changed indicator has sorted already.
    if (!sortingEnabled_ || !changes)
        model()->sort(column, order);
}

int ResultsTableView::rowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int ResultsTableView::firstRow() const {
    return verticalScrollBar()->value();
}

int ResultsTableView::wholeRowsInView() const {
    return qMax(1, viewport()->height() / rowHeight_);
}

int ResultsTableView::rowAt(int y) const {
    if (y < 0)
        return -1;
    const int row = firstRow() + y / rowHeight_;
    return row < rowCount() ? row : -1;
}

QRect ResultsTableView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex() || isColumnHidden(index.column()))
        return {};
    return QRect(header_->sectionViewportPosition(index.column()),
                 (index.row() - firstRow()) * rowHeight_, header_->sectionSize(index.column()),
                 rowHeight_);
}

void ResultsTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    const int row = index.row();
    const int whole = wholeRowsInView();
    int first = firstRow();
    switch (hint) {
    case EnsureVisible:
        if (row < first)
            first = row;
        else if (row >= first + whole)
            first = row - whole + 1;
        break;
    case PositionAtTop:
        first = row;
        break;
    case PositionAtBottom:
        first = row - whole + 1;
        break;
    case PositionAtCenter:
        first = row - whole / 2;
        break;
    }
    verticalScrollBar()->setValue(first);

    // A row is chosen whole: its cell's column comes into view as far as it fits.
    if (isColumnHidden(index.column()))
        return;
    const int left = header_->sectionPosition(index.column());
    const int right = left + header_->sectionSize(index.column());
    const int offset = horizontalScrollBar()->value();
    const int room = viewport()->width();
    if (left < offset || right - left > room)
        horizontalScrollBar()->setValue(left);
    else if (right > offset + room)
        horizontalScrollBar()->setValue(right - room);
}

QModelIndex ResultsTableView::indexAt(const QPoint& point) const {
    const int row = rowAt(point.y());
    const int column = header_->logicalIndexAt(point.x());
    if (row < 0 || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

int ResultsTableView::sizeHintForColumn(int column) const {
    if (!model() || isColumnHidden(column))
        return -1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int first = firstRow();
    const int end = qMin(rowCount(), first + wholeRowsInView() + 1);
    int widest = 0;
    for (int row = first; row < end; ++row) {
        const QModelIndex index = model()->index(row, column, rootIndex());
        widest = qMax(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest + kGrid;
}

void ResultsTableView::keyboardSearch(const QString& search) {
    if (rowCount() <= kTypeAheadRows)
        QAbstractItemView::keyboardSearch(search);
}

QModelIndex ResultsTableView::moveCursor(CursorAction cursorAction,
                                         Qt::KeyboardModifiers modifiers) {
    Q_UNUSED(modifiers);
    const int rows = rowCount();
    const int columns = header_->count();
    if (rows == 0 || columns == 0)
        return {};
    const QModelIndex current = currentIndex();
    // The first visible column in the visual order, from a start, going by step.
    auto visibleColumn = [this, columns](int visual, int step) {
        for (; visual >= 0 && visual < columns; visual += step)
            if (!header_->isSectionHidden(header_->logicalIndex(visual)))
                return header_->logicalIndex(visual);
        return -1;
    };
    if (!current.isValid())
        return model()->index(firstRow(), qMax(0, visibleColumn(0, 1)), rootIndex());

    int row = current.row();
    int column = current.column();
    const int visual = header_->visualIndex(column);
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= wholeRowsInView();
        break;
    case MovePageDown:
        row += wholeRowsInView();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MoveLeft: {
        const int left = visibleColumn(visual - 1, -1);
        column = left >= 0 ? left : column;
        break;
    }
    case MoveRight: {
        const int right = visibleColumn(visual + 1, 1);
        column = right >= 0 ? right : column;
        break;
    }
    }
    return model()->index(std::clamp(row, 0, rows - 1), column, rootIndex());
}

int ResultsTableView::horizontalOffset() const {
    return header_->offset();
}

int ResultsTableView::verticalOffset() const {
    return firstRow() * rowHeight_;
}

bool ResultsTableView::isIndexHidden(const QModelIndex& index) const {
    return isColumnHidden(index.column());
}

void ResultsTableView::setSelection(const QRect& rect,
                                    QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel())
        return;
    const QRect area = rect.normalized();
    const QModelIndex topLeft = indexAt(area.topLeft());
    const QModelIndex bottomRight = indexAt(area.bottomRight());
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    const QModelIndex first =
        model()->index(topLeft.row(), qMin(topLeft.column(), bottomRight.column()), rootIndex());
    const QModelIndex last = model()->index(
        bottomRight.row(), qMax(topLeft.column(), bottomRight.column()), rootIndex());
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion ResultsTableView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int first = firstRow();
    const int last = first + wholeRowsInView();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const int top = qMax(range.top(), first);
        const int bottom = qMin(range.bottom(), last);
        if (top > bottom)
            continue;
        int left = INT_MAX;
        int right = INT_MIN;
        for (int column = range.left(); column <= range.right(); ++column) {
            if (isColumnHidden(column))
                continue;
            const int x = header_->sectionViewportPosition(column);
            left = qMin(left, x);
            right = qMax(right, x + header_->sectionSize(column));
        }
        if (left < right)
            region += QRect(left, (top - first) * rowHeight_, right - left,
                            (bottom - top + 1) * rowHeight_);
    }
    return region;
}

void ResultsTableView::updateGeometries() {
    if (inGeometries_)
        return;
    inGeometries_ = true;
    const int headerHeight =
        header_->isHidden() ? 0 : qMax(header_->minimumHeight(), header_->sizeHint().height());
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    header_->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);

    const int whole = wholeRowsInView();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(whole);
    verticalScrollBar()->setRange(0, qMax(0, rowCount() - whole));

    const int room = area.width();
    horizontalScrollBar()->setSingleStep(qMax(1, fontMetrics().averageCharWidth() * 2));
    horizontalScrollBar()->setPageStep(room);
    horizontalScrollBar()->setRange(0, qMax(0, header_->length() - room));
    inGeometries_ = false;
    QAbstractItemView::updateGeometries();
}

void ResultsTableView::scrollContentsBy(int dx, int dy) {
    if (dx != 0)
        header_->setOffset(horizontalScrollBar()->value());
    if (dx != 0 || dy != 0)
        viewport()->update();
}

void ResultsTableView::paintEvent(QPaintEvent* event) {
    if (!model())
        return;
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = firstRow();
    const int fromRow = first + qMax(0, area.top()) / rowHeight_;
    const int toRow = qMin(rowCount() - 1, first + area.bottom() / rowHeight_);
    const int columns = header_->count();
    int fromVisual = header_->visualIndexAt(area.left());
    int toVisual = header_->visualIndexAt(area.right());
    if (fromVisual < 0)
        fromVisual = 0;
    if (toVisual < 0)
        toVisual = columns - 1;

    QStyleOptionViewItem base;
    initViewItemOption(&base);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    const QColor gridColor = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &base, this)));

    int right = 0;
    for (int row = fromRow; row <= toRow; ++row) {
        const int y = (row - first) * rowHeight_;
        for (int visual = fromVisual; visual <= toVisual; ++visual) {
            const int column = header_->logicalIndex(visual);
            if (header_->isSectionHidden(column))
                continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            QStyleOptionViewItem option = base;
            option.rect = QRect(header_->sectionViewportPosition(column), y,
                                header_->sectionSize(column) - kGrid, rowHeight_ - kGrid);
            right = qMax(right, option.rect.right() + kGrid);
            if (alternatingRowColors() && (row & 1))
                option.features |= QStyleOptionViewItem::Alternate;
            if (selectionModel() && selectionModel()->isSelected(index))
                option.state |= QStyle::State_Selected;
            if (!(model()->flags(index) & Qt::ItemIsEnabled)) {
                option.state &= ~QStyle::State_Enabled;
                option.palette.setCurrentColorGroup(QPalette::Disabled);
            }
            if (focused && index == current)
                option.state |= QStyle::State_HasFocus;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
            itemDelegateForIndex(index)->paint(&painter, option, index);
        }
    }

    // The grid: a line under every row and right of every column painted.
    if (toRow < fromRow)
        return;
    painter.setPen(gridColor);
    const int bottom = (toRow - first + 1) * rowHeight_ - kGrid;
    for (int row = fromRow; row <= toRow; ++row) {
        const int y = (row - first + 1) * rowHeight_ - kGrid;
        painter.drawLine(area.left(), y, qMin(area.right(), right - kGrid), y);
    }
    for (int visual = fromVisual; visual <= toVisual; ++visual) {
        const int column = header_->logicalIndex(visual);
        if (header_->isSectionHidden(column))
            continue;
        const int x =
            header_->sectionViewportPosition(column) + header_->sectionSize(column) - kGrid;
        painter.drawLine(x, qMax(0, area.top()), x, bottom);
    }
}

void ResultsTableView::changeEvent(QEvent* event) {
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateRowHeight();
}

void ResultsTableView::rowsChanged() {
    updateGeometries();
    viewport()->update();
}

void ResultsTableView::updateRowHeight() {
    rowHeight_ = rowHeightFor(fontMetrics());
    updateGeometries();
}

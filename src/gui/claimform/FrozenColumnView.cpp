#include "gui/claimform/FrozenColumnView.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

FrozenColumnView::FrozenColumnView(QTableView* table)
    : QTableView(table)
    , table_(table) {
    setModel(table->model());
    setSelectionModel(table->selectionModel());
    setItemDelegate(table->itemDelegate());
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(table->editTriggers());
    setSelectionMode(table->selectionMode());
    setWordWrap(table->wordWrap());
    setShowGrid(table->showGrid());
    setAutoScroll(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(table->verticalScrollMode());

    QHeaderView* rows = verticalHeader();
    rows->setVisible(table->verticalHeader()->isVisible());
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize());
    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(table->horizontalHeader()->defaultAlignment());

    table->viewport()->stackUnder(this);
    showFirstColumnOnly();
    connect(model(), &QAbstractItemModel::columnsInserted, this,
            &FrozenColumnView::showFirstColumnOnly);
    connect(model(), &QAbstractItemModel::modelReset, this, &FrozenColumnView::showFirstColumnOnly);
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == 0)
            followTable();
    });
    connect(table->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
            &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, table->verticalScrollBar(),
            &QScrollBar::setValue);
    table->installEventFilter(this);
    table->viewport()->installEventFilter(this);
    followTable();
}

void FrozenColumnView::showFirstColumnOnly() {
    for (int column = 1; column < model()->columnCount(); ++column)
        setColumnHidden(column, true);
}

void FrozenColumnView::followTable() {
    const int width = table_->columnWidth(0);
    setColumnWidth(0, width);
    const int header =
        table_->horizontalHeader()->isVisible() ? table_->horizontalHeader()->height() : 0;
    horizontalHeader()->setFixedHeight(header);
    horizontalHeader()->setVisible(header > 0);
    const QRect viewport = table_->viewport()->geometry();
    setGeometry(viewport.left(), viewport.top() - header, std::min(width, viewport.width()),
                viewport.height() + header);
    verticalScrollBar()->setValue(table_->verticalScrollBar()->value());
}

bool FrozenColumnView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
        event->type() == QEvent::LayoutRequest)
        followTable();
    return QTableView::eventFilter(watched, event);
}

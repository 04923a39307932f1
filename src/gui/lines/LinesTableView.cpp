#include "gui/lines/LinesTableView.h"

#include "gui/lines/LineTableModel.h"

#include <QFontDatabase>
#include <QHeaderView>
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

void LinesTableView::setLines(LineTableModel* model) {
    setModel(model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row one height: rows are laid out without asking each its own.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics(fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(qMax(metrics.height(), fontMetrics().height()) + 4);
    QHeaderView* header = horizontalHeader();
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    const QFontMetrics normal = fontMetrics();
    setColumnWidth(LineTableModel::Number,
                   normal.horizontalAdvance(QStringLiteral("000000000")) + 28);
    setColumnWidth(LineTableModel::Position,
                   normal.horizontalAdvance(QStringLiteral("00000000000")));
    setColumnWidth(LineTableModel::Type, metrics.horizontalAdvance(QStringLiteral("TypeX")) + 8);
    setColumnWidth(LineTableModel::Text,
                   metrics.horizontalAdvance(LineTableModel::ruler(LineTableModel::kRulerColumns)) +
                       16);
}

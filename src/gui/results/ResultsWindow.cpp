#include "gui/results/ResultsWindow.h"

#include "gui/common/CountText.h"
#include "gui/common/ElidedLabel.h"
#include "gui/document/ResultsFeed.h"
#include "gui/results/ResultsExport.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace {

// Typing pauses this long before a large table is filtered again.
constexpr int kFilterDelayMs = 150;
constexpr int kWidestColumnCharacters = 48;
// The pause after the last change of the window's size before the columns are fitted to it.
constexpr int kRefitDelayMs = 100;

} // namespace

ResultsWindow::ResultsWindow(const QString& windowName, const QString& tableName,
                             QAbstractItemModel* source, QWidget* parent)
    : QWidget(parent) {
    setObjectName(windowName);
    if (!source->parent())
        source->setParent(this);
    rows_ = new ResultsFilterModel(this);
    rows_->setSourceModel(source);

    categoryLabel_ = new QLabel(this);
    categoryLabel_->setObjectName(QStringLiteral("lblCategory"));
    category_ = new QComboBox(this);
    category_->setObjectName(QStringLiteral("cboCategory"));
    categoryLabel_->setBuddy(category_);
    categoryLabel_->hide();
    category_->hide();
    auto* filterLabel = new QLabel(QStringLiteral("Fi&lter:"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(QStringLiteral("Text in any column"));
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);
    filter_->installEventFilter(this);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblRows"));
    // A long status gives way to the filter rather than pushing the window wider.
    status_ = new ElidedLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->hide();

    makeTable(tableName);

    bar_ = new QHBoxLayout;
    bar_->addWidget(categoryLabel_);
    bar_->addWidget(category_);
    bar_->addWidget(filterLabel);
    bar_->addWidget(filter_, 1);
    bar_->addWidget(count_);
    bar_->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar_);
    layout->addWidget(table_, 1);

    filterDelay_ = new QTimer(this);
    filterDelay_->setSingleShot(true);
    filterDelay_->setInterval(kFilterDelayMs);
    connectRows(source);
    updateCount();
}

ResultsWindow::~ResultsWindow() {
    QObject::disconnect(table_->horizontalHeader(), nullptr, this, nullptr);
    table_->viewport()->removeEventFilter(this);
}

void ResultsWindow::makeTable(const QString& tableName) {
    table_ = new ResultsTableView(this);
    table_->setObjectName(tableName);
    table_->setModel(rows_);
    // Turning sorting on sorts by the header's indicator, descending by
    // default: millions of rows sorted before the first column's ascending
    // order, the rows' own, is asked for.
    table_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // A column the user sizes stays as they made it.
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_ && columnsFitted_)
            sizedByUser_ = true;
    });
    refit_ = new QTimer(this);
    refit_->setSingleShot(true);
    refit_->setInterval(kRefitDelayMs);
    connect(refit_, &QTimer::timeout, this, &ResultsWindow::refitColumns);
    table_->viewport()->installEventFilter(this);
    for (int column = 0; column < rows_->columnCount(); ++column)
        table_->setColumnHidden(
            column,
            rows_->headerData(column, Qt::Horizontal, ResultsFilterModel::ExportOnlyRole).toBool());
}

void ResultsWindow::connectRows(QAbstractItemModel* source) {
    connect(filter_, &QLineEdit::textChanged, filterDelay_, qOverload<>(&QTimer::start));
    connect(filterDelay_, &QTimer::timeout, this, [this] { rows_->setText(filter_->text()); });
    connect(category_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int index) { rows_->setCategory(category_->itemData(index)); });
    connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        const int row = sourceRow(index.row());
        if (row >= 0)
            emit rowActivated(row);
    });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(rows_, signal, this, &ResultsWindow::updateCount);
    connect(rows_, &QAbstractItemModel::rowsInserted, this, &ResultsWindow::fitColumns,
            Qt::QueuedConnection);
    connect(rows_, &QAbstractItemModel::modelReset, this, &ResultsWindow::updateCount);
    connect(rows_, &QAbstractItemModel::layoutChanged, this, &ResultsWindow::updateCount);
    // A new filter's rows come in one step, perhaps the first rows shown.
    connect(rows_, &QAbstractItemModel::layoutChanged, this, &ResultsWindow::fitColumns,
            Qt::QueuedConnection);
    connect(rows_, &ResultsFilterModel::filteringChanged, this, &ResultsWindow::updateCount);
    connect(rows_, &ResultsFilterModel::sortingChanged, this, &ResultsWindow::updateCount);
    // Rows the filter keeps out still count among all.
    connect(source, &QAbstractItemModel::rowsInserted, this, &ResultsWindow::updateCount);
}

void ResultsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, &ResultsWindow::fitColumns);
}

void ResultsWindow::fitColumns() {
    if (columnsFitted_ || rows_->rowCount() == 0 || !table_->isVisible())
        return;
    columnsFitted_ = true;
    const QScopedValueRollback<bool> fitting(fitting_, true);
    // The rows in view decide; no column takes more than this many characters.
    table_->resizeColumnsToContents();
    const int columns = rows_->columnCount();
    const int widest = kWidestColumnCharacters * fontMetrics().averageCharWidth();
    QList<int> widths;
    QList<int> least;
    for (int column = 0; column < columns; ++column) {
        // A column not shown takes no room.
        if (table_->isColumnHidden(column)) {
            widths.append(0);
            least.append(0);
            continue;
        }
        int width = table_->columnWidth(column);
        if (widestTexts_.contains(column))
            width = qMax(width, fontMetrics().horizontalAdvance(widestTexts_.value(column)) +
                                    2 * fontMetrics().averageCharWidth());
        widths.append(qMin(width, widest));
        // A heading stays readable.
        const QString heading = rows_->headerData(column, Qt::Horizontal).toString();
        least.append(qMin(widths.constLast(),
                          table_->horizontalHeader()->fontMetrics().horizontalAdvance(heading) +
                              2 * fontMetrics().averageCharWidth()));
    }
    // Every column in the window, where it can be: the widest of those giving
    // way give up room first, then the widest of the others but those kept
    // whole, each at most down to its heading; past that the table scrolls.
    const int room = table_->viewport()->width();
    auto widthOf = [&](int column, int wayLimit, int limit) {
        if (keptWhole_.contains(column))
            return widths.at(column);
        const int cap = givingWay_.contains(column) ? qMin(wayLimit, limit) : limit;
        return qMax(qMin(widths.at(column), cap), least.at(column));
    };
    auto total = [&](int wayLimit, int limit) {
        int sum = 0;
        for (int column = 0; column < columns; ++column)
            sum += widthOf(column, wayLimit, limit);
        return sum;
    };
    // The largest limit in [0, top] that fits, or 0.
    auto largestFitting = [&](int top, const std::function<int(int)>& sum) {
        int low = 0;
        while (low < top) {
            const int middle = (low + top + 1) / 2;
            if (sum(middle) <= room)
                low = middle;
            else
                top = middle - 1;
        }
        return low;
    };
    int wayLimit = widest;
    int limit = widest;
    if (total(wayLimit, limit) > room) {
        wayLimit = largestFitting(widest, [&](int way) { return total(way, widest); });
        if (total(wayLimit, limit) > room)
            limit = largestFitting(widest, [&](int all) { return total(0, all); });
    }
    for (int column = 0; column < columns; ++column)
        if (!table_->isColumnHidden(column))
            table_->setColumnWidth(column, widthOf(column, wayLimit, limit));
}

void ResultsWindow::refitColumns() {
    columnsFitted_ = false;
    fitColumns();
}

void ResultsWindow::setWidestText(int column, const QString& text) {
    widestTexts_.insert(column, text);
}

void ResultsWindow::setColumnsGivingWay(const QList<int>& givingWay, const QList<int>& keptWhole) {
    givingWay_ = givingWay;
    keptWhole_ = keptWhole;
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    // Escape clears the filter, as it does in the claim filter boxes.
    if (watched == filter_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !filter_->text().isEmpty()) {
        filter_->clear();
        return true;
    }
    // A window made larger (or smaller) shows its columns fitted to it again,
    // once the user stops sizing it.
    if (watched == table_->viewport() && event->type() == QEvent::Resize && columnsFitted_ &&
        !sizedByUser_ &&
        static_cast<QResizeEvent*>(event)->oldSize().width() !=
            static_cast<QResizeEvent*>(event)->size().width())
        refit_->start();
    return QWidget::eventFilter(watched, event);
}

int ResultsWindow::sourceRow(int shownRow) const {
    const QModelIndex source = rows_->mapToSource(rows_->index(shownRow, 0));
    return source.isValid() ? source.row() : -1;
}

void ResultsWindow::setCategories(const QString& label, const QList<Category>& categories) {
    category_->clear();
    for (const Category& category : categories)
        category_->addItem(category.text, category.value);
    categoryLabel_->setText(label);
    categoryLabel_->show();
    category_->show();
}

bool ResultsWindow::chooseCategory(const QVariant& value) {
    const int index = category_->findData(value);
    if (index < 0)
        return false;
    category_->setCurrentIndex(index);
    return true;
}

void ResultsWindow::setStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
}

void ResultsWindow::addToBar(QWidget* control, int stretch) {
    bar_->addWidget(control, stretch);
    // Tab goes along the bar, then to the rows.
    if (!(control->focusPolicy() & Qt::TabFocus))
        return;
    QWidget::setTabOrder(lastInBar_ ? lastInBar_ : filter_, control);
    QWidget::setTabOrder(control, table_);
    lastInBar_ = control;
}

ExportFile::Written ResultsWindow::exportShownRows(const QString& dialogName,
                                                   const QString& caption,
                                                   const QString& suggestedPath) {
    return ResultsExport::toFile(this, *rows_, dialogName, caption, suggestedPath);
}

void ResultsWindow::updateCount() {
    const int shown = rows_->rowCount();
    const int all = rows_->sourceModel()->rowCount();
    const QString rows = all == 1 ? QStringLiteral(" row") : QStringLiteral(" rows");
    QString count =
        whole_ >= 0
            ? QStringLiteral("%1 of %2")
                  .arg(CountText::number(shown), CountText::of(whole_, wholeOne_, wholeMany_))
        : shown == all
            ? CountText::number(all) + rows
            : QStringLiteral("%1 of %2").arg(CountText::number(shown), CountText::number(all)) +
                  rows;
    // The rows shown are still the previous filter's, or in their previous order.
    if (rows_->isFiltering())
        count += QStringLiteral(", filtering\u2026");
    else if (rows_->isSorting())
        count += QStringLiteral(", sorting\u2026");
    count_->setText(count);
}

void ResultsWindow::setCountOfWhole(qint64 whole, const char* one, const char* many) {
    whole_ = whole;
    wholeOne_ = one;
    wholeMany_ = many;
    updateCount();
}

void ResultsWindow::followFeed(ResultsFeed* feed) {
    auto show = [this, feed = QPointer<ResultsFeed>(feed)] {
        if (feed)
            setStatus(feed->statusText());
    };
    for (auto signal : {&ResultsFeed::runStarted, &ResultsFeed::runEnded})
        connect(feed, signal, this, show);
    connect(feed, &ResultsFeed::runProgressed, this, show);
    show();
}

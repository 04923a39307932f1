#include "gui/claimform/FieldGridPane.h"

#include "core/report/ReportText.h"
#include "gui/claimform/ClaimFormText.h"
#include "gui/claimform/CopyMenu.h"
#include "gui/claimform/CurrentRowDelegate.h"
#include "gui/claimform/FrozenColumnView.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/common/Twips.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

namespace {

// The design, in twips.
constexpr double kGridMargin = 110;
constexpr double kGridRowHeight = 240;
constexpr double kTwipsPerCharacter = 100;
constexpr double kPaneWidth = 4740;
constexpr double kPaneHeight = 4584;
constexpr double kNameColumnMinimum = 1000;
constexpr double kValueColumnMinimum = 500;
// Room for the header and a few rows, whatever the splitters are given.
constexpr double kPaneMinimumHeight = 1500;

bool isRequired(const std::string& typeCodes) {
    return typeCodes.find_first_of("Rr") != std::string::npos;
}

} // namespace

FieldGridPane::FieldGridPane(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("PictureGrid"));
    lblTotals_ = new QLabel(this);
    lblTotals_->setObjectName(QStringLiteral("lblTotals"));
    lblTotals_->setTextFormat(Qt::PlainText);
    lblTotals_->setWordWrap(true);
    lblTotals_->hide();

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setToolTip(QStringLiteral("Click row to view data in raw record display"));
    grid_->setColumnCount(2);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(
        std::max(Twips::y(kGridRowHeight, this), grid_->fontMetrics().height() + 2));
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The current row is framed rather than painted over, so an invalid value stays red.
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setItemDelegate(new CurrentRowDelegate(grid_));
    grid_->setTabKeyNavigation(false);
    // A click on a value cell never scrolls sideways (the keyboard's current
    // row is kept in sight below, up and down only).
    grid_->setAutoScroll(false);
    // A click on the grid leaves the focus where it is (a row click hands it
    // to the raw line), so a header click cannot take away the field's selection.
    grid_->setFocusPolicy(Qt::TabFocus);
    grid_->setWordWrap(false);
    // A long value can be scrolled into sight a little at a time.
    grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);

    // The names are the grid's fixed column: they stay while values scroll.
    gridNames_ = new FrozenColumnView(grid_);
    gridNames_->setObjectName(QStringLiteral("gridFieldNames"));
    gridNames_->setToolTip(grid_->toolTip());
    gridNames_->setContextMenuPolicy(Qt::CustomContextMenu);

    // The Value column takes what the names leave, however wide the user makes them.
    connect(grid_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
                if (column != 0 || fitting_)
                    return;
                nameColumnWidth_ = size;
                fitColumns();
            });
    connect(grid_, &QTableWidget::cellClicked, this, [this] { emit fieldChosen(true); });
    connect(gridNames_, &QAbstractItemView::clicked, this, [this] { emit fieldChosen(true); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow) {
        if (row < 0)
            return;
        const int across = grid_->horizontalScrollBar()->value();
        grid_->scrollToItem(grid_->item(row, 0));
        grid_->horizontalScrollBar()->setValue(across);
        // The keys in the grid walk the fields as clicks would, the focus staying.
        if (row != previousRow && grid_->hasFocus())
            emit fieldChosen(false);
        // The whole row's frame moves, in both views.
        grid_->viewport()->update();
        gridNames_->viewport()->update();
    });
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(grid_, at); });
    connect(gridNames_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(gridNames_, at); });
}

QTableView* FieldGridPane::names() const {
    return gridNames_;
}

void FieldGridPane::showRecord(std::shared_ptr<const qm::AssembledClaim> claim,
                               const qm::RecordLayout* layout, const qm::AssembledRecord* record) {
    claim_ = std::move(claim);
    layout_ = layout;
    record_ = layout ? record : nullptr;
    // A record the click could not read has no fields to show.
    const int fieldCount = layout && (!record || record->read) ? layout->fieldCount() : 0;
    grid_->setColumnCount(2);
    grid_->setRowCount(tableRowOfGridRow(fieldCount + 1));
    SetGridRow(0, QStringLiteral("Field Name"), QStringLiteral("Value"));
    QFont requiredFont = grid_->font();
    requiredFont.setBold(true);
    for (int i = 1; i <= fieldCount; ++i) {
        const qm::FieldDef& field = layout->field(i - 1);
        // Money as money, dates as dates, codes with their meaning, where the
        // format file says so; what the file holds is in the tooltip (and
        // marked in the raw line).
        const std::string shown =
            record ? layout->format(i - 1).shown(record->value(i - 1)) : std::string();
        const QString stored = record ? ClaimFormText::trimmed(record->value(i - 1)) : QString();
        SetGridRow(i, ClaimFormText::trimmed(field.FieldName),
                   shown.empty() ? stored : CoreText::fromUtf8(shown));

        // Without a record there is no verdict to show either. A valid value
        // is drawn as the theme draws text (black on white in a light one),
        // a failed one white on red in every theme.
        const bool valid = !record || record->valid(i - 1);
        QTableWidgetItem* valueCell = grid_->item(tableRowOfGridRow(i), 1);
        valueCell->setBackground(valid ? grid_->palette().color(QPalette::Base)
                                       : QColor(255, 0, 0));
        valueCell->setForeground(valid ? grid_->palette().color(QPalette::Text)
                                       : QColor(255, 255, 255));
        valueCell->setToolTip(shown.empty() ? QString()
                                            : PlainText::toolTip(ClaimFormText::storedAs(stored)));

        QTableWidgetItem* nameCell = grid_->item(tableRowOfGridRow(i), 0);
        nameCell->setFont(isRequired(field.TypeCodes) ? requiredFont : grid_->font());
    }
    // The trailer whose totals were compared: what each wrong field states
    // against what the claim's lines give.
    if (record && claim_ && record->type == "XA0" && record->occurrence == 1) {
        for (const qm::TotalsComparison& comparison : claim_->totals.compared) {
            QTableWidgetItem* valueCell = grid_->item(tableRowOfGridRow(comparison.field + 1), 1);
            if (!comparison.match && valueCell) {
                QString tip = CoreText::fromUtf8(
                    qm::ReportText::comparisonLine(comparison, claim_->layouts.get()));
                if (!layout->format(comparison.field)
                         .shown(record->value(comparison.field))
                         .empty())
                    tip += QLatin1Char('\n') + ClaimFormText::storedAs(ClaimFormText::trimmed(
                                                   record->value(comparison.field)));
                valueCell->setToolTip(PlainText::toolTip(tip));
            }
        }
    }
    grid_->setCurrentItem(nullptr);
    grid_->scrollToTop();
}

void FieldGridPane::markWrong(int field, const QString& note) {
    QTableWidgetItem* valueCell = grid_->item(tableRowOfGridRow(field + 1), 1);
    if (!valueCell || !layout_ || !record_ || field >= layout_->fieldCount())
        return;
    valueCell->setBackground(QColor(255, 0, 0));
    valueCell->setForeground(QColor(255, 255, 255));
    QString tip = note;
    if (!layout_->format(field).shown(record_->value(field)).empty())
        tip += QLatin1Char('\n') +
               ClaimFormText::storedAs(ClaimFormText::trimmed(record_->value(field)));
    valueCell->setToolTip(PlainText::toolTip(tip));
}

void FieldGridPane::clearRows() {
    layout_ = nullptr;
    record_ = nullptr;
    grid_->setRowCount(0);
}

void FieldGridPane::SetGridRow(int row, const QString& name, const QString& value) {
    const QString texts[2] = {name, value};
    for (int column = 0; column < 2; ++column) {
        if (row == 0) {
            auto* header = new QTableWidgetItem(texts[column]);
            header->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
            grid_->setHorizontalHeaderItem(column, header);
        } else {
            const int tableRow = tableRowOfGridRow(row);
            QTableWidgetItem* cell = grid_->item(tableRow, column);
            if (!cell) {
                cell = new QTableWidgetItem;
                // The name column is the grid's fixed column.
                if (column == 0)
                    cell->setBackground(grid_->palette().color(QPalette::Button));
                grid_->setItem(tableRow, column, cell);
            }
            cell->setText(texts[column]);
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        // 100 twips a character, or more where the platform's font draws the
        // text wider than that, so that no value is ever cut off.
        const int wanted =
            std::max(Twips::x(double(texts[column].size()) * kTwipsPerCharacter, this),
                     cellWidthFor(texts[column], column == 0));
        int& widest = column == 0 ? nameColumnWidth_ : valueColumnWidth_;
        widest = std::max(widest, wanted);
    }
    fitColumns();
}

void FieldGridPane::fitColumns() {
    // A name cut short ends in an ellipsis and shows whole in its tooltip.
    const QScopedValueRollback<bool> fitting(fitting_, true);
    const int viewport = grid_->viewport()->width();
    const int names =
        std::min(nameColumnWidth_, std::max({Twips::x(kNameColumnMinimum, this),
                                             viewport - valueColumnWidth_, viewport * 2 / 5}));
    if (names != grid_->columnWidth(0))
        grid_->setColumnWidth(0, names);
    const int values =
        std::max({valueColumnWidth_, viewport - names, Twips::x(kValueColumnMinimum, this)});
    if (values != grid_->columnWidth(1))
        grid_->setColumnWidth(1, values);
}

QSize FieldGridPane::sizeHint() const {
    return Twips::size(kPaneWidth, kPaneHeight, this);
}

QSize FieldGridPane::minimumSizeHint() const {
    return Twips::size(kNameColumnMinimum + kValueColumnMinimum + kGridMargin, kPaneMinimumHeight,
                       this);
}

int FieldGridPane::cellWidthFor(const QString& text, bool bold) const {
    QFont font = grid_->font();
    font.setBold(bold);
    // The item view's text margin on either side, the grid line, and a pixel
    // for a text whose drawn width is a fraction over the whole pixels.
    const int margin =
        grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) + 2 * margin + 2;
}

void FieldGridPane::showNotes(const qm::AssembledClaim* claim, const qm::AssembledRecord* record) {
    const qm::TotalsState state = claim ? claim->totals.state : qm::TotalsState::NotAClaim;
    QStringList notes;
    if (state == qm::TotalsState::NoTrailer)
        notes << QStringLiteral(
            "This claim has no XA0 trailer of its own: its counts and amounts were not checked.");
    else if (state == qm::TotalsState::CouldNotCheck && !claim->totals.tooLarge.empty())
        notes << QStringLiteral("This claim's totals could not be checked: its amounts are too "
                                "large to add up.");
    else if (state == qm::TotalsState::CouldNotCheck)
        notes << QStringLiteral("This claim's totals could not be checked: the map "
                                "file lacks XA0 fields that the check compares.");
    // A record listed for the click that the click could not read (the file
    // changed under the tree) shows nothing rather than older values.
    if (record && !record->read)
        notes << QStringLiteral("This record could not be read from the file");
    // Only the columns a map can name are kept of a longer line.
    if (record && record->lineCut)
        notes << QStringLiteral("This record's line is longer than %L1 characters; only its "
                                "first %L1 are shown.")
                     .arg(qlonglong(record->line.size()));
    lblTotals_->setText(notes.join(QLatin1Char('\n')));
    lblTotals_->setVisible(!notes.isEmpty());
    arrange();
}

int FieldGridPane::currentField() const {
    const int row = grid_->currentRow();
    return row < 0 ? 0 : gridRowOfTableRow(row);
}

bool FieldGridPane::setCurrentField(int gridRow, int column) {
    const int row = tableRowOfGridRow(gridRow);
    if (row < 0 || row >= grid_->rowCount())
        return false;
    grid_->setCurrentCell(row, column < 0 ? std::max(grid_->currentColumn(), 0) : column);
    return true;
}

void FieldGridPane::clearCurrentField() {
    grid_->setCurrentItem(nullptr);
}

void FieldGridPane::step(int rows) {
    const int last = grid_->rowCount() - 1;
    if (last < 0)
        return;
    const int current = grid_->currentRow();
    const int row = current < 0 ? 0 : std::clamp(current + rows, 0, last);
    grid_->setCurrentCell(row, std::max(grid_->currentColumn(), 0));
}

void FieldGridPane::contextMenu(QAbstractItemView* view, const QPoint& at) {
    const int row = view->indexAt(at).row();
    const int field = row < 0 ? -1 : gridRowOfTableRow(row) - 1;
    // Kept while the menu is open, whatever the form is given meanwhile: the
    // commands copy from its records.
    const std::shared_ptr<const qm::AssembledClaim> shown = claim_;
    const qm::RecordLayout* layout = layout_;
    const qm::AssembledRecord* record = record_;
    const bool onField =
        record && field >= 0 && field < layout->fieldCount() && field < int(record->fields.size());
    if (row >= 0) {
        // The row asked about becomes current, as the keys would make it.
        grid_->setCurrentCell(row, std::max(grid_->currentColumn(), 0));
        emit fieldChosen(false);
    }

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuGridContext"));
    CopyMenu::add(menu, "mnuGridCopyValue", QStringLiteral("Copy Value"), onField,
                  [=] { CopyMenu::copy(ClaimFormText::trimmed(record->value(field))); });
    const QString asShown =
        onField ? CoreText::fromUtf8(layout->format(field).shown(record->value(field))) : QString();
    CopyMenu::add(menu, "mnuGridCopyShown", QStringLiteral("Copy Value as Shown"),
                  !asShown.isEmpty(), [=] { CopyMenu::copy(asShown); });
    CopyMenu::add(menu, "mnuGridCopyField", QStringLiteral("Copy Field"), onField, [=] {
        CopyMenu::copy(ClaimFormText::fieldLine(layout->field(field), record->value(field)));
    });
    CopyMenu::add(menu, "mnuGridCopyRecord", QStringLiteral("Copy Record as Text"),
                  record != nullptr,
                  [=] { CopyMenu::copy(ClaimFormText::recordText(*layout, *record)); });
    menu.exec(view->viewport()->mapToGlobal(at));
}

bool FieldGridPane::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == grid_->viewport() && type == QEvent::Resize) {
        fitColumns();
    } else if (watched == grid_ && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+C copies the current row's value here; Edit > Copy is not for it.
        if (key->matches(QKeySequence::Copy)) {
            key->accept();
            // The value as stored, as Copy Value gives it.
            const int row = grid_->currentRow();
            const int field = gridRowOfTableRow(row) - 1;
            if (type == QEvent::KeyPress && row >= 0)
                CopyMenu::copy(record_ && field < int(record_->fields.size())
                                   ? ClaimFormText::trimmed(record_->value(field))
                                   : grid_->item(row, 1)->text());
            return true;
        }
        // Home and End go to the first and last field, not across the row.
        if (type == QEvent::KeyPress && key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) && grid_->rowCount() > 0) {
            grid_->setCurrentCell(key->key() == Qt::Key_Home ? 0 : grid_->rowCount() - 1,
                                  std::max(grid_->currentColumn(), 0));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FieldGridPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void FieldGridPane::arrange() {
    const int gridWidth = std::max(0, width() - Twips::x(kGridMargin, this));
    int top = 0;
    if (!lblTotals_->isHidden()) {
        top = lblTotals_->heightForWidth(gridWidth);
        lblTotals_->setGeometry(0, 0, gridWidth, top);
    }
    grid_->setGeometry(0, top, gridWidth,
                       std::max(0, height() - top - Twips::y(kGridMargin, this)));
}

#include "gui/claimform/frmClaimForm.h"

#include "core/common/TextUtil.h"
#include "core/report/ReportText.h"
#include "gui/claimform/ClaimExport.h"
#include "gui/claimform/ColumnRuler.h"
#include "gui/claimform/CurrentRowDelegate.h"
#include "gui/claimform/FrozenColumnView.h"
#include "gui/claimform/RecordLineEdit.h"
#include "gui/claimform/SplitterSizes.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/common/Twips.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The window's design, in twips.
constexpr double kMinimumWindowTwips = 5000;
constexpr double kGridPaneWidth = 4740;
constexpr double kTreeMargin = 100;
constexpr double kGridMargin = 110;
constexpr double kTextPaneHeight = 330;
constexpr double kTextBoxHeight = 285;
constexpr double kTextBoxMargin = 10;
constexpr double kStatusBarHeight = 375;
constexpr double kGridRowHeight = 240;
constexpr double kTwipsPerCharacter = 100;
constexpr double kTreeIndentation = 180;

struct PanelDesign {
    double widthTwips;
    const char* toolTip;
};

constexpr PanelDesign kPanels[4] = {
    {1440, "NSF Field Number"},
    {1440, "Starting and Ending field positions"},
    {1824, "Field Length"},
    {1824, "Field type and Validation flag(s)"},
};

QString fromFile(std::string_view bytes) {
    return CoreText::fromFile(bytes);
}

QString trimmed(std::string_view bytes) {
    return fromFile(qm::trimSpaces(bytes));
}

bool isRequired(const std::string& typeCodes) {
    return typeCodes.find_first_of("Rr") != std::string::npos;
}

// The raw line in a fixed-pitch font, so that columns line up with positions.
// Some platforms answer the system's fixed font with a proportional one.
QFont fixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(QLatin1Char('i')) !=
        metrics.horizontalAdvance(QLatin1Char('W'))) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

// One field as the copy commands give it: number, name, value and columns,
// separated by tabs.
QString fieldLine(const qm::FieldDef& field, std::string_view value) {
    return QStringList{fromFile(field.FieldId), trimmed(field.FieldName), trimmed(value),
                       QStringLiteral("%1-%2").arg(field.StartPos).arg(field.EndPos)}
        .join(QLatin1Char('\t'));
}

// Every field of a record, one a line.
QString recordText(const qm::RecordLayout& layout, const qm::AssembledRecord& record) {
    QString text;
    for (int i = 0; i < layout.fieldCount() && i < int(record.fields.size()); ++i)
        text += fieldLine(layout.field(i), record.value(i)) + QLatin1Char('\n');
    return text;
}

void copyText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

// Two panes divided by a splitter; the one numbered `growing` takes what
// room the window gains.
QSplitter* splitter(Qt::Orientation orientation, const char* name, QWidget* first, QWidget* second,
                    int growing) {
    auto* splitter = new QSplitter(orientation);
    splitter->setObjectName(QLatin1String(name));
    splitter->addWidget(first);
    splitter->addWidget(second);
    splitter->setStretchFactor(growing, 1);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

QAction* addMenuAction(QMenu& menu, const char* name, const QString& text, bool enabled,
                       std::function<void()> run) {
    QAction* action = menu.addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, &menu, std::move(run));
    return action;
}

} // namespace

frmClaimForm::frmClaimForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmClaimForm"));
    setWindowTitle(QStringLiteral("Claim Form"));
    createRecordTree();
    createGrid();
    createRawLine();
    createStatusBar();
    createPanes();

    // A click on the header row or the frozen names leaves the focus, and with
    // it the field's selection in tbRecord, where it is: without this the
    // document window around the form would take the focus.
    grid_->horizontalHeader()->setFocusProxy(tbRecord_);
    gridNames_->setFocusProxy(tbRecord_);
    gridNames_->horizontalHeader()->setFocusProxy(tbRecord_);
    setTabOrder(treeView1_, grid_);
    setTabOrder(grid_, tbRecord_);
    setMinimumSize(Twips::x(kMinimumWindowTwips, this), Twips::y(kMinimumWindowTwips, this));
}

frmClaimForm::~frmClaimForm() = default;

void frmClaimForm::createRecordTree() {
    pictureTree_ = new QWidget;
    pictureTree_->setObjectName(QStringLiteral("PictureTree"));
    treeView1_ = new QTreeWidget(pictureTree_);
    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setToolTip(QStringLiteral("Click item to view details"));
    treeView1_->setColumnCount(1);
    treeView1_->setHeaderHidden(true);
    treeView1_->setUniformRowHeights(true);
    // Narrow steps keep a claim's records in sight in the narrow tree pane;
    // deeper nodes scroll sideways rather than lose their keys to an ellipsis.
    treeView1_->setIndentation(Twips::x(kTreeIndentation, this));
    treeView1_->header()->setStretchLastSection(false);
    treeView1_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    treeView1_->setContextMenuPolicy(Qt::CustomContextMenu);

    // A mouse click on a new node reports both signals; showing the record
    // twice is harmless, and the click alone covers the node already current.
    connect(treeView1_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { selectNode(current); });
    connect(treeView1_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectNode(item); });
    connect(treeView1_, &QWidget::customContextMenuRequested, this, &frmClaimForm::treeContextMenu);
}

void frmClaimForm::createGrid() {
    pictureGrid_ = new QWidget;
    pictureGrid_->setObjectName(QStringLiteral("PictureGrid"));
    lblTotals_ = new QLabel(pictureGrid_);
    lblTotals_->setObjectName(QStringLiteral("lblTotals"));
    lblTotals_->setTextFormat(Qt::PlainText);
    lblTotals_->setWordWrap(true);
    lblTotals_->hide();

    grid_ = new QTableWidget(pictureGrid_);
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
    // to tbRecord), so a header click cannot take away the field's selection.
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

    // The Value column takes what the names leave, however wide they are made.
    connect(grid_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == 0)
            fitValueColumn();
    });
    connect(grid_, &QTableWidget::cellClicked, this, [this] { showCurrentField(true); });
    connect(gridNames_, &QAbstractItemView::clicked, this, [this] { showCurrentField(true); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow) {
        if (row < 0)
            return;
        const int across = grid_->horizontalScrollBar()->value();
        grid_->scrollToItem(grid_->item(row, 0));
        grid_->horizontalScrollBar()->setValue(across);
        // The keys in the grid walk the fields as clicks would, the focus staying.
        if (row != previousRow && grid_->hasFocus())
            showCurrentField(false);
        // The whole row's frame moves, in both views.
        grid_->viewport()->update();
        gridNames_->viewport()->update();
    });
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { gridContextMenu(grid_, at); });
    connect(gridNames_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { gridContextMenu(gridNames_, at); });
}

void frmClaimForm::createRawLine() {
    pictureText_ = new QWidget;
    pictureText_->setObjectName(QStringLiteral("PictureText"));
    tbRecord_ = new RecordLineEdit(pictureText_);
    tbRecord_->setObjectName(QStringLiteral("tbRecord"));
    tbRecord_->setToolTip(QStringLiteral("Record (line) as read from the NSF file"));
    tbRecord_->setFont(fixedPitchFont());
    tbRecord_->setContextMenuPolicy(Qt::CustomContextMenu);
    tbRecord_->installEventFilter(this);
    rulerRecord_ = new ColumnRuler(tbRecord_, pictureText_);
    rulerRecord_->setObjectName(QStringLiteral("rulerRecord"));

    connect(tbRecord_, &RecordLineEdit::columnChosen, this, &frmClaimForm::showFieldAtColumn);
    connect(tbRecord_, &RecordLineEdit::stepRequested, this, &frmClaimForm::stepField);
    connect(tbRecord_, &QWidget::customContextMenuRequested, this,
            &frmClaimForm::rawLineContextMenu);
}

void frmClaimForm::createStatusBar() {
    statusBar1_ = new QStatusBar;
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setSizeGripEnabled(false);
    statusBar1_->setFixedHeight(Twips::y(kStatusBarHeight, this));
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(statusBar1_);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        // Field names and type letters come from the map file: never markup.
        panel->setTextFormat(Qt::PlainText);
        panel->setToolTip(QString::fromLatin1(kPanels[i].toolTip));
        panel->setFixedWidth(Twips::x(kPanels[i].widthTwips, this));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar1_->addWidget(panel);
        panels_[i] = panel;
    }
}

void frmClaimForm::createPanes() {
    // Extra room goes to the grid (left and right) and to the panes above
    // the raw line (up and down); the user moves the dividers at will.
    splitClaimForm_ = splitter(Qt::Horizontal, "splitClaimForm", pictureTree_, pictureGrid_, 1);
    splitRecord_ = splitter(Qt::Vertical, "splitRecord", splitClaimForm_, pictureText_, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The smallest window size is the design's own (see event()).
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(splitRecord_, 1);
    layout->addWidget(statusBar1_);

    for (QWidget* pane : {pictureTree_, pictureGrid_, pictureText_})
        pane->installEventFilter(this);
}

void frmClaimForm::setClaim(std::shared_ptr<const qm::AssembledClaim> claim, std::string key) {
    claim_ = std::move(claim);
    claimKey_ = std::move(key);
    clearRecordTree();
    showTotalsNote();
    emit claimShown(claim_ != nullptr);
    if (!claim_)
        return;
    for (const qm::ClaimNode& node : claim_->nodes)
        addRecordNode(fromFile(node.key), fromFile(node.parent));
}

void frmClaimForm::showTotalsNote(const qm::AssembledRecord* record) {
    const qm::TotalsState state = claim_ ? claim_->totals.state : qm::TotalsState::NotAClaim;
    QStringList notes;
    if (state == qm::TotalsState::NoTrailer)
        notes << QStringLiteral(
            "This claim has no XA0 trailer of its own: its counts and amounts were not checked.");
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
    arrangePane(pictureGrid_);
}

void frmClaimForm::clearRecordTree() {
    const QSignalBlocker blocker(treeView1_);
    treeView1_->clear();
    nodesByKey_.clear();
}

void frmClaimForm::addRecordNode(const QString& key, const QString& parentKey) {
    if (nodesByKey_.contains(key))
        return;
    QTreeWidgetItem* parent = parentKey.isEmpty() ? nullptr : nodesByKey_.value(parentKey);
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(treeView1_);
    node->setText(0, key);
    nodesByKey_.insert(key, node);
}

void frmClaimForm::Treeview1_Reset(const QString& RT) {
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(treeView1_); *it; ++it) {
        if ((*it)->childCount() > 0)
            (*it)->setExpanded(true);
        if ((*it)->text(0) == RT)
            found = *it;
    }
    {
        // Selecting from code is not a user's node click; the record is shown below.
        const QSignalBlocker blocker(treeView1_);
        treeView1_->setCurrentItem(found);
        if (!found)
            treeView1_->clearSelection();
    }
    if (found) {
        treeView1_->scrollToItem(found);
        selectNode(found);
    } else {
        // The grid would otherwise go on showing a record of an earlier click.
        grid_->setRowCount(0);
    }
    tbRecord_->clear();
    emptyPanels(4);
}

void frmClaimForm::selectNode(QTreeWidgetItem* node) {
    if (!node)
        return;
    const QString key = node->text(0);
    ShowRecord(layoutOf(key.left(3)), recordOf(key));
}

bool frmClaimForm::showField(const QString& key, int field) {
    QTreeWidgetItem* node = nodesByKey_.value(key);
    if (!node)
        return false;
    {
        // The record is shown once, below, not again for the change of node.
        const QSignalBlocker blocker(treeView1_);
        treeView1_->setCurrentItem(node);
    }
    selectNode(node);
    const int row = tableRowOfGridRow(field + 1);
    const int valueColumn = grid_->columnCount() - 1;
    if (row < 0 || row >= grid_->rowCount() || valueColumn < 0)
        return false;
    grid_->setCurrentCell(row, valueColumn);
    showCurrentField(true);
    return true;
}

const qm::AssembledRecord* frmClaimForm::recordOf(const QString& key) const {
    return claim_ ? claim_->record(CoreText::toFileBytes(key)) : nullptr;
}

const qm::RecordLayout* frmClaimForm::layoutOf(const QString& recordType) const {
    if (!claim_ || !claim_->layouts)
        return nullptr;
    return claim_->layouts->find(CoreText::toFileBytes(recordType));
}

const qm::RecordLayout* frmClaimForm::selectedLayout(QString& recordType) const {
    const QList<QTreeWidgetItem*> selected = treeView1_->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    recordType = selected.constFirst()->text(0).left(3);
    return recordType.isEmpty() ? nullptr : layoutOf(recordType);
}

void frmClaimForm::ShowRecord(const qm::RecordLayout* layout, const qm::AssembledRecord* record) {
    // A record the click could not read has no fields to show.
    const int fieldCount = layout && (!record || record->read) ? layout->fieldCount() : 0;
    grid_->setColumnCount(2);
    grid_->setRowCount(tableRowOfGridRow(fieldCount + 1));
    SetGridRow(0, QStringLiteral("Field Name"), QStringLiteral("Value"));
    QFont requiredFont = grid_->font();
    requiredFont.setBold(true);
    for (int i = 1; i <= fieldCount; ++i) {
        const qm::FieldDef& field = layout->field(i - 1);
        SetGridRow(i, trimmed(field.FieldName), record ? trimmed(record->value(i - 1)) : QString());

        // Without a record there is no verdict to show either.
        const bool valid = !record || record->valid(i - 1);
        QTableWidgetItem* valueCell = grid_->item(tableRowOfGridRow(i), 1);
        valueCell->setBackground(valid ? QColor(255, 255, 255) : QColor(255, 0, 0));
        valueCell->setForeground(valid ? QColor(0, 0, 0) : QColor(255, 255, 255));
        valueCell->setToolTip(QString());

        QTableWidgetItem* nameCell = grid_->item(tableRowOfGridRow(i), 0);
        nameCell->setFont(isRequired(field.TypeCodes) ? requiredFont : grid_->font());
    }
    // The trailer whose totals were compared: what each wrong field states
    // against what the claim's lines give.
    if (record && claim_ && record->type == "XA0" && record->occurrence == 1) {
        for (const qm::TotalsComparison& comparison : claim_->totals.compared) {
            QTableWidgetItem* valueCell = grid_->item(tableRowOfGridRow(comparison.field + 1), 1);
            if (!comparison.match && valueCell)
                valueCell->setToolTip(PlainText::toolTip(CoreText::fromUtf8(
                    qm::ReportText::comparisonLine(comparison, claim_->layouts.get()))));
        }
    }
    grid_->setCurrentItem(nullptr);
    grid_->scrollToTop();

    tbRecord_->setText(record ? fromFile(record->line) : QString());
    showTotalsNote(record);
    // Show the line from its first column, as a freshly filled text box does.
    tbRecord_->setCursorPosition(0);
    emptyPanels(3);
}

void frmClaimForm::SetGridRow(int row, const QString& name, const QString& value) {
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
        if (column == 0 && wanted > grid_->columnWidth(0))
            grid_->setColumnWidth(0, wanted);
        if (column == 1)
            valueColumnWidth_ = std::max(valueColumnWidth_, wanted);
    }
    fitValueColumn();
}

void frmClaimForm::fitValueColumn() {
    const int left = grid_->viewport()->width() - grid_->columnWidth(0);
    const int width = std::max(valueColumnWidth_, left);
    if (width != grid_->columnWidth(1))
        grid_->setColumnWidth(1, width);
}

int frmClaimForm::cellWidthFor(const QString& text, bool bold) const {
    QFont font = grid_->font();
    font.setBold(bold);
    // The item view's text margin on either side, the grid line, and a pixel
    // for a text whose drawn width is a fraction over the whole pixels.
    const int margin =
        grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) + 2 * margin + 2;
}

void frmClaimForm::showCurrentField(bool focusRawLine) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    const int row = gridRowOfTableRow(grid_->currentRow());
    if (!layout || row < 1 || row > layout->fieldCount())
        return;
    const qm::FieldDef& field = layout->field(row - 1);
    describeField(recordType, field);
    selectInRawLine(field);
    if (focusRawLine)
        tbRecord_->setFocus();
}

void frmClaimForm::describeField(const QString& recordType, const qm::FieldDef& field) {
    panels_[0]->setText(recordType + QStringLiteral(" : ") + fromFile(field.FieldId));
    panels_[1]->setText(QString::number(field.StartPos) + QStringLiteral(" - ") +
                        QString::number(field.EndPos));
    panels_[2]->setText(QString::number(field.Length));
    panels_[3]->setText(fromFile(field.TypeCodes));
}

void frmClaimForm::selectInRawLine(const qm::FieldDef& field) {
    // Column 1 is offset 0. The selection is cut at the end of the text; a
    // layout that starts before column 1 or has no length selects nothing.
    const int textLength = int(tbRecord_->text().size());
    const int start = field.StartPos - 1;
    if (start < 0) {
        tbRecord_->setCursorPosition(0);
    } else if (start >= textLength || field.Length <= 0) {
        tbRecord_->setCursorPosition(std::min(start, textLength));
    } else {
        tbRecord_->setSelection(start, std::min<int>(field.Length, textLength - start));
    }
}

void frmClaimForm::stepField(int rows) {
    const int last = grid_->rowCount() - 1;
    if (last < 0)
        return;
    const int current = grid_->currentRow();
    const int row = current < 0 ? 0 : std::clamp(current + rows, 0, last);
    grid_->setCurrentCell(row, std::max(grid_->currentColumn(), 0));
    showCurrentField(false);
}

int frmClaimForm::fieldAtColumn(const qm::RecordLayout& layout, int column) {
    for (int i = 0; i < layout.fieldCount(); ++i) {
        const qm::FieldDef& field = layout.field(i);
        if (column >= field.StartPos && column < field.StartPos + field.Length)
            return i;
    }
    return -1;
}

void frmClaimForm::showFieldAtColumn(int column) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    if (!layout)
        return;
    const int field = fieldAtColumn(*layout, column);
    if (field < 0 || tableRowOfGridRow(field + 1) >= grid_->rowCount()) {
        grid_->setCurrentItem(nullptr);
        emptyPanels(4);
        return;
    }
    grid_->setCurrentCell(tableRowOfGridRow(field + 1), std::max(grid_->currentColumn(), 0));
    describeField(recordType, layout->field(field));
}

bool frmClaimForm::showRawLineToolTip(const QPoint& at, const QPoint& globalAt) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    const int column = tbRecord_->columnAt(at.x());
    const int index = layout && column > 0 ? fieldAtColumn(*layout, column) : -1;
    if (index < 0)
        return false;
    const qm::FieldDef& field = layout->field(index);
    QToolTip::showText(
        globalAt,
        PlainText::toolTip(QStringLiteral("%1 %2 %3, columns %4\u2013%5")
                               .arg(recordType, fromFile(field.FieldId), trimmed(field.FieldName))
                               .arg(field.StartPos)
                               .arg(field.EndPos)),
        tbRecord_);
    return true;
}

void frmClaimForm::gridContextMenu(QAbstractItemView* view, const QPoint& at) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    const qm::AssembledRecord* record =
        layout ? recordOf(treeView1_->selectedItems().constFirst()->text(0)) : nullptr;
    const int row = view->indexAt(at).row();
    const int field = row < 0 ? -1 : gridRowOfTableRow(row) - 1;
    const bool onField =
        record && field >= 0 && field < layout->fieldCount() && field < int(record->fields.size());
    if (row >= 0) {
        // The row asked about becomes current, as the keys would make it.
        grid_->setCurrentCell(row, std::max(grid_->currentColumn(), 0));
        showCurrentField(false);
    }

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuGridContext"));
    // Kept while the menu is open, whatever the form is given meanwhile: the
    // commands copy from its records.
    const std::shared_ptr<const qm::AssembledClaim> shown = claim_;
    addMenuAction(menu, "mnuGridCopyValue", QStringLiteral("Copy Value"), onField,
                  [=] { copyText(trimmed(record->value(field))); });
    addMenuAction(menu, "mnuGridCopyField", QStringLiteral("Copy Field"), onField,
                  [=] { copyText(fieldLine(layout->field(field), record->value(field))); });
    addMenuAction(menu, "mnuGridCopyRecord", QStringLiteral("Copy Record as Text"),
                  record != nullptr, [=] { copyText(recordText(*layout, *record)); });
    menu.exec(view->viewport()->mapToGlobal(at));
}

void frmClaimForm::rawLineContextMenu(const QPoint& at) {
    std::unique_ptr<QMenu> menu(tbRecord_->createStandardContextMenu());
    menu->setObjectName(QStringLiteral("mnuRecordContext"));
    menu->addSeparator();
    const QString line = tbRecord_->text();
    addMenuAction(*menu, "mnuRecordCopyLine", QStringLiteral("Copy Line"), !line.isEmpty(),
                  [line] { copyText(line); });
    menu->exec(tbRecord_->mapToGlobal(at));
}

void frmClaimForm::treeContextMenu(const QPoint& at) {
    const QTreeWidgetItem* node = treeView1_->itemAt(at);
    const QString key = node ? node->text(0) : QString();
    const qm::AssembledRecord* record = node ? recordOf(key) : nullptr;
    const qm::RecordLayout* layout = record ? layoutOf(key.left(3)) : nullptr;

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuTreeContext"));
    // As on the grid, the claim stays while the menu is open.
    const std::shared_ptr<const qm::AssembledClaim> claim = claim_;
    const std::string claimKey = claimKey_;
    addMenuAction(menu, "mnuTreeCopyRecord", QStringLiteral("Copy Record"), layout != nullptr,
                  [=] { copyText(recordText(*layout, *record)); });
    addMenuAction(menu, "mnuTreeCopyClaim", QStringLiteral("Copy Claim as JSON"), claim != nullptr,
                  [=] { copyText(QString::fromUtf8(ClaimExport::json(*claim, claimKey))); });
    menu.exec(treeView1_->viewport()->mapToGlobal(at));
}

void frmClaimForm::emptyPanels(int count) {
    for (int i = 0; i < count; ++i)
        panels_[i]->clear();
}

bool frmClaimForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Resize) {
        if (watched == grid_->viewport())
            fitValueColumn();
        else if (watched == pictureTree_ || watched == pictureGrid_ || watched == pictureText_)
            arrangePane(static_cast<QWidget*>(watched));
    } else if (watched == tbRecord_ && type == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        return showRawLineToolTip(help->pos(), help->globalPos());
    } else if (watched == grid_ && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+C copies the current row's value here; Edit > Copy is not for it.
        if (key->matches(QKeySequence::Copy)) {
            key->accept();
            if (type == QEvent::KeyPress && grid_->currentRow() >= 0)
                copyText(grid_->item(grid_->currentRow(), 1)->text());
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

bool frmClaimForm::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        Twips::keepOuterSizeAtLeast(this, kMinimumWindowTwips, kMinimumWindowTwips);
    return QWidget::event(event);
}

void frmClaimForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!panesSized_) {
        panesSized_ = true;
        sizePanes();
    }
}

void frmClaimForm::closeEvent(QCloseEvent* event) {
    // Remembered with the window's place, and like it not while minimized.
    if (panesSized_ && !outerWindow()->isMinimized()) {
        SplitterSizes::save(splitClaimForm_);
        SplitterSizes::save(splitRecord_);
    }
    emit claimShown(false);
    QWidget::closeEvent(event);
}

void frmClaimForm::sizePanes() {
    layout()->activate();
    if (!SplitterSizes::restore(splitClaimForm_)) {
        const int grid = Twips::x(kGridPaneWidth, this);
        const int tree = splitClaimForm_->width() - splitClaimForm_->handleWidth() - grid;
        splitClaimForm_->setSizes({std::max(0, tree), grid});
    }
    if (!SplitterSizes::restore(splitRecord_)) {
        const int text = rulerRecord_->sizeHint().height() + Twips::y(kTextPaneHeight, this);
        const int panes = splitRecord_->height() - splitRecord_->handleWidth() - text;
        splitRecord_->setSizes({std::max(0, panes), text});
    }
}

void frmClaimForm::arrangePane(QWidget* pane) {
    const int width = pane->width();
    const int height = pane->height();
    if (pane == pictureTree_) {
        treeView1_->setGeometry(0, 0, std::max(0, width - Twips::x(kTreeMargin, this)),
                                std::max(0, height - Twips::y(kTreeMargin, this)));
    } else if (pane == pictureGrid_) {
        const int gridWidth = std::max(0, width - Twips::x(kGridMargin, this));
        int top = 0;
        if (!lblTotals_->isHidden()) {
            top = lblTotals_->heightForWidth(gridWidth);
            lblTotals_->setGeometry(0, 0, gridWidth, top);
        }
        grid_->setGeometry(0, top, gridWidth,
                           std::max(0, height - top - Twips::y(kGridMargin, this)));
    } else if (pane == pictureText_) {
        const int textWidth = std::max(0, width - Twips::x(kTextBoxMargin, this));
        const int rulerHeight = rulerRecord_->sizeHint().height();
        rulerRecord_->setGeometry(0, 0, textWidth, rulerHeight);
        tbRecord_->setGeometry(0, rulerHeight, textWidth, Twips::y(kTextBoxHeight, this));
    }
}

QWidget* frmClaimForm::outerWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return frame;
    return this;
}

#include "gui/claimform/frmClaimForm.h"

#include "core/common/TextUtil.h"
#include "gui/common/CoreText.h"
#include "gui/common/WindowPositions.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cmath>

namespace {

// The window's design, in twips.
constexpr double kMinimumWindowTwips = 5000;
constexpr double kGridPaneWidth = 4740;
constexpr double kTreePaneGap = 25;
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

} // namespace

frmClaimForm::frmClaimForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmClaimForm"));
    setWindowTitle(QStringLiteral("Claim Form"));

    // Created in this order so that the grid pane lies above the tree pane
    // where the tree pane's width rule lets them meet.
    pictureTree_ = new QWidget(this);
    pictureTree_->setObjectName(QStringLiteral("PictureTree"));
    treeView1_ = new QTreeWidget(pictureTree_);
    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setToolTip(QStringLiteral("Click item to view details"));
    treeView1_->setColumnCount(1);
    treeView1_->setHeaderHidden(true);
    treeView1_->setUniformRowHeights(true);
    // Narrow steps keep a claim's records in sight in the narrow tree pane;
    // deeper nodes scroll sideways rather than lose their keys to an ellipsis.
    treeView1_->setIndentation(twipsToPixelsX(kTreeIndentation));
    treeView1_->header()->setStretchLastSection(false);
    treeView1_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    pictureGrid_ = new QWidget(this);
    pictureGrid_->setObjectName(QStringLiteral("PictureGrid"));
    grid_ = new QTableWidget(pictureGrid_);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setToolTip(QStringLiteral("Click row to view data in raw record display"));
    grid_->setColumnCount(2);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(
        std::max(twipsToPixelsY(kGridRowHeight), grid_->fontMetrics().height() + 2));
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A clicked row is not painted over, so an invalid value stays red.
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setTabKeyNavigation(false);
    // The names are the grid's fixed column: a click on a value cell never
    // scrolls them out of sight (the keyboard's current row is kept in sight
    // below, up and down only).
    grid_->setAutoScroll(false);
    // A click on the grid leaves the focus where it is (a row click hands it
    // to tbRecord), so a header click cannot take away the field's selection.
    grid_->setFocusPolicy(Qt::TabFocus);
    grid_->setWordWrap(false);
    // A long value can be scrolled into sight a little at a time, rather than
    // a whole column at once, which would take the names out of sight.
    grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    pictureText_ = new QWidget(this);
    pictureText_->setObjectName(QStringLiteral("PictureText"));
    tbRecord_ = new QLineEdit(pictureText_);
    tbRecord_->setObjectName(QStringLiteral("tbRecord"));
    tbRecord_->setToolTip(QStringLiteral("Record (line) as read from the NSF file"));
    tbRecord_->setReadOnly(true);
    tbRecord_->setFont(fixedPitchFont());
    // A click on the header row leaves the focus, and with it the field's
    // selection in tbRecord, where it is: without this the document window
    // around the form would take the focus.
    grid_->horizontalHeader()->setFocusProxy(tbRecord_);

    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(statusBar1_);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        // Field names and type letters come from the map file: never markup.
        panel->setTextFormat(Qt::PlainText);
        panel->setToolTip(QString::fromLatin1(kPanels[i].toolTip));
        panel->setFixedWidth(twipsToPixelsX(kPanels[i].widthTwips));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar1_->addWidget(panel);
        panels_[i] = panel;
    }

    setTabOrder(treeView1_, grid_);
    setTabOrder(grid_, tbRecord_);

    // A mouse click on a new node reports both signals; showing the record
    // twice is harmless, and the click alone covers the node already current.
    connect(treeView1_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { selectNode(current); });
    connect(treeView1_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectNode(item); });
    connect(grid_, &QTableWidget::cellClicked, this, [this] { gridRowClicked(); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row < 0)
            return;
        const int across = grid_->horizontalScrollBar()->value();
        grid_->scrollToItem(grid_->item(row, 0));
        grid_->horizontalScrollBar()->setValue(across);
    });

    setMinimumSize(twipsToPixelsX(kMinimumWindowTwips), twipsToPixelsY(kMinimumWindowTwips));
}

frmClaimForm::~frmClaimForm() = default;

void frmClaimForm::setClaim(std::shared_ptr<const qm::AssembledClaim> claim) {
    claim_ = std::move(claim);
    clearRecordTree();
    if (!claim_)
        return;
    for (const qm::ClaimNode& node : claim_->nodes)
        addRecordNode(fromFile(node.key), fromFile(node.parent));
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
    const qm::AssembledRecord* record =
        claim_ ? claim_->record(CoreText::toFileBytes(key)) : nullptr;
    ShowRecord(layoutOf(key.left(3)), record);
}

const qm::RecordLayout* frmClaimForm::layoutOf(const QString& recordType) const {
    if (!claim_ || !claim_->layouts)
        return nullptr;
    return claim_->layouts->find(CoreText::toFileBytes(recordType));
}

void frmClaimForm::ShowRecord(const qm::RecordLayout* layout, const qm::AssembledRecord* record) {
    const int fieldCount = layout ? layout->fieldCount() : 0;
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

        QTableWidgetItem* nameCell = grid_->item(tableRowOfGridRow(i), 0);
        nameCell->setFont(isRequired(field.TypeCodes) ? requiredFont : grid_->font());
    }
    grid_->setCurrentItem(nullptr);
    grid_->scrollToTop();

    tbRecord_->setText(record ? fromFile(record->line) : QString());
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
            std::max(twipsToPixelsX(double(texts[column].size()) * kTwipsPerCharacter),
                     cellWidthFor(texts[column], column == 0));
        if (wanted > grid_->columnWidth(column))
            grid_->setColumnWidth(column, wanted);
    }
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

void frmClaimForm::gridRowClicked() {
    const QList<QTreeWidgetItem*> selected = treeView1_->selectedItems();
    if (selected.isEmpty())
        return;
    const QString recordType = selected.constFirst()->text(0).left(3);
    if (recordType.isEmpty())
        return;
    const qm::RecordLayout* layout = layoutOf(recordType);
    const int row = gridRowOfTableRow(grid_->currentRow());
    if (!layout || row < 1 || row > layout->fieldCount())
        return;
    const qm::FieldDef& field = layout->field(row - 1);

    panels_[0]->setText(recordType + QStringLiteral(" : ") + fromFile(field.FieldId));
    panels_[1]->setText(QString::number(field.StartPos) + QStringLiteral(" - ") +
                        QString::number(field.EndPos));
    panels_[2]->setText(QString::number(field.Length));
    panels_[3]->setText(fromFile(field.TypeCodes));

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
    tbRecord_->setFocus();
}

void frmClaimForm::emptyPanels(int count) {
    for (int i = 0; i < count; ++i)
        panels_[i]->clear();
}

bool frmClaimForm::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        // In a document window the smallest size is the frame's, so that the
        // window's outer size is what stays at least 5000 twips.
        const QSize smallest(twipsToPixelsX(kMinimumWindowTwips),
                             twipsToPixelsY(kMinimumWindowTwips));
        QWidget* outer = outerWindow();
        if (outer != this) {
            setMinimumSize(0, 0);
            outer->setMinimumSize(smallest);
        } else {
            setMinimumSize(smallest);
        }
    }
    return QWidget::event(event);
}

void frmClaimForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrangePanes();
}

void frmClaimForm::arrangePanes() {
    const int clientWidth = width();
    const int clientHeight = height();
    const int statusHeight = twipsToPixelsY(kStatusBarHeight);
    const int textPaneHeight = twipsToPixelsY(kTextPaneHeight);
    const int sideHeight = std::max(0, clientHeight - statusHeight - textPaneHeight);

    statusBar1_->setGeometry(0, clientHeight - statusHeight, clientWidth, statusHeight);
    pictureText_->setGeometry(0, clientHeight - statusHeight - textPaneHeight, clientWidth,
                              textPaneHeight);
    tbRecord_->setGeometry(0, 0, std::max(0, clientWidth - twipsToPixelsX(kTextBoxMargin)),
                           twipsToPixelsY(kTextBoxHeight));

    // The grid pane keeps its designed width; the tree pane takes what the
    // window's outer width leaves.
    const int gridPaneWidth = twipsToPixelsX(kGridPaneWidth);
    pictureGrid_->setGeometry(clientWidth - gridPaneWidth, 0, gridPaneWidth, sideHeight);
    grid_->setGeometry(0, 0, std::max(0, gridPaneWidth - twipsToPixelsX(kGridMargin)),
                       std::max(0, sideHeight - twipsToPixelsY(kGridMargin)));

    const int treePaneWidth = std::max(0, outerWindow()->frameGeometry().width() - gridPaneWidth -
                                              twipsToPixelsX(kTreePaneGap));
    pictureTree_->setGeometry(0, 0, treePaneWidth, sideHeight);
    treeView1_->setGeometry(0, 0, std::max(0, treePaneWidth - twipsToPixelsX(kTreeMargin)),
                            std::max(0, sideHeight - twipsToPixelsY(kTreeMargin)));
}

QWidget* frmClaimForm::outerWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return frame;
    return this;
}

int frmClaimForm::twipsToPixelsX(double twips) const {
    return WindowPositions::toPixels({0, 0, float(twips), 0}, this).width();
}

int frmClaimForm::twipsToPixelsY(double twips) const {
    return WindowPositions::toPixels({0, 0, 0, float(twips)}, this).height();
}

#include "gui/claimform/frmClaimForm.h"

#include "gui/claimform/ColumnRuler.h"
#include "gui/claimform/RawLinePane.h"
#include "gui/claimform/RecordLineEdit.h"
#include "gui/claimform/RecordTreePane.h"
#include "gui/claimform/SplitterSizes.h"
#include "gui/common/CoreText.h"
#include "gui/common/Twips.h"
#include "gui/document/ClaimDocument.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The window's design, in twips.
constexpr double kMinimumWindowTwips = 5000;
constexpr double kDefaultWindowTwips = 6500;
constexpr double kGridPaneWidth = 4740;
constexpr double kTextPaneHeight = 330;
constexpr double kStatusBarHeight = 375;

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

} // namespace

frmClaimForm::frmClaimForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmClaimForm"));
    setWindowTitle(QStringLiteral("Claim Form"));
    pictureTree_ = new RecordTreePane;
    pictureGrid_ = new FieldGridPane;
    pictureText_ = new RawLinePane;
    createStatusBar();
    createPanes();

    RecordLineEdit* tbRecord = pictureText_->line();
    connect(pictureTree_, &RecordTreePane::nodeChosen, this, &frmClaimForm::selectNode);
    connect(pictureGrid_, &FieldGridPane::fieldChosen, this, &frmClaimForm::showCurrentField);
    connect(tbRecord, &RecordLineEdit::columnChosen, this, &frmClaimForm::showFieldAtColumn);
    connect(tbRecord, &RecordLineEdit::stepRequested, this, &frmClaimForm::stepField);

    // A click on the header row or the frozen names leaves the focus, and with
    // it the field's selection in tbRecord, where it is: without this the
    // document window around the form would take the focus.
    QTableWidget* grid = pictureGrid_->grid();
    grid->horizontalHeader()->setFocusProxy(tbRecord);
    pictureGrid_->names()->setFocusProxy(tbRecord);
    pictureGrid_->names()->horizontalHeader()->setFocusProxy(tbRecord);
    setTabOrder(pictureTree_->tree(), grid);
    setTabOrder(grid, tbRecord);
    setMinimumSize(Twips::x(kMinimumWindowTwips, this), Twips::y(kMinimumWindowTwips, this));
}

frmClaimForm::~frmClaimForm() = default;

void frmClaimForm::setDocument(ClaimDocument* document) {
    if (!document)
        return;
    document->closeWithFile(this);
    auto show = [this, document] {
        const ClaimDocument::Click& click = document->lastClick();
        if (!click.claim)
            return;
        setClaim(click.claim, click.key, click.name);
        wrongRecord_ = click.record;
        wrongField_ = click.field;
        wrongNote_ = click.note;
        Treeview1_Reset(CoreText::fromFile(click.claim->clickedType));
        if (!click.record.isEmpty())
            showField(click.record, click.field);
    };
    connect(document, &ClaimDocument::claimClicked, this, show);
    show();
}

void frmClaimForm::createStatusBar() {
    // Made inside the form: alone, it would take its panels' width as its smallest.
    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setSizeGripEnabled(false);
    statusBar1_->setFixedHeight(Twips::y(kStatusBarHeight, this));
    // The panels keep their designed widths; a window narrower than they are
    // together (the design's smallest is) shows what its width leaves of them.
    statusBar1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
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
    // A window made narrower takes from the tree first: see shareWidth().
    pictureTree_->installEventFilter(this);
    pictureGrid_->installEventFilter(this);
    connect(splitClaimForm_, &QSplitter::splitterMoved, this, [this] {
        treeWidth_ = splitClaimForm_->sizes().value(0);
        gridWidth_ = splitClaimForm_->sizes().value(1);
        sharedWidth_ = splitClaimForm_->width();
    });

    // Whose claim this is: the file tree's name for it, wrapped rather than
    // cut in a narrow window.
    lblClaim_ = new QLabel;
    lblClaim_->setObjectName(QStringLiteral("lblClaim"));
    lblClaim_->setTextFormat(Qt::PlainText);
    lblClaim_->setWordWrap(true);
    lblClaim_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const int margin = lblClaim_->fontMetrics().averageCharWidth() / 2;
    lblClaim_->setContentsMargins(margin, margin, margin, margin);
    lblClaim_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The smallest window size is the design's own (see event()).
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(lblClaim_);
    layout->addWidget(splitRecord_, 1);
    layout->addWidget(statusBar1_);
}

void frmClaimForm::setClaim(std::shared_ptr<const qm::AssembledClaim> claim, std::string key,
                            const QString& name) {
    claim_ = std::move(claim);
    claimKey_ = std::move(key);
    wrongNote_.clear();
    lblClaim_->setText(name);
    lblClaim_->setVisible(!name.isEmpty());
    pictureTree_->setClaim(claim_, claimKey_);
    clearRecordTree();
    pictureGrid_->showNotes(claim_.get(), nullptr);
    emit claimShown(claim_ != nullptr);
    if (!claim_)
        return;
    for (const qm::ClaimNode& node : claim_->nodes)
        addRecordNode(CoreText::fromFile(node.key), CoreText::fromFile(node.parent));
    // Its keys may want more room than the last claim's.
    if (panesSized_)
        shareWidth();
}

void frmClaimForm::clearRecordTree() {
    pictureTree_->clearNodes();
}

void frmClaimForm::addRecordNode(const QString& key, const QString& parentKey) {
    pictureTree_->addNode(key, parentKey);
}

void frmClaimForm::Treeview1_Reset(const QString& RT) {
    if (pictureTree_->reset(RT)) {
        selectNode(RT);
    } else {
        // The grid would otherwise go on showing a record of an earlier click.
        pictureGrid_->clearRows();
    }
    pictureText_->clear();
    emptyPanels(4);
}

void frmClaimForm::selectNode(const QString& key) {
    ShowRecord(layoutOf(key.left(3)), recordOf(key));
}

bool frmClaimForm::showField(const QString& key, int field) {
    // The record is shown once, below, not again for the change of node.
    if (!pictureTree_->selectQuietly(key))
        return false;
    selectNode(key);
    if (!pictureGrid_->setCurrentField(field + 1, pictureGrid_->grid()->columnCount() - 1))
        return false;
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
    const QString key = pictureTree_->selectedKey();
    if (key.isEmpty())
        return nullptr;
    recordType = key.left(3);
    return layoutOf(recordType);
}

void frmClaimForm::ShowRecord(const qm::RecordLayout* layout, const qm::AssembledRecord* record) {
    pictureGrid_->showRecord(claim_, layout, record);
    if (!wrongNote_.isEmpty() && pictureTree_->selectedKey() == wrongRecord_)
        pictureGrid_->markWrong(wrongField_, wrongNote_);
    pictureText_->showLine(record ? CoreText::fromFile(record->line) : QString(),
                           pictureTree_->selectedKey().left(3), layout);
    pictureGrid_->showNotes(claim_.get(), record);
    // Panel 4 keeps the type letters of the last field clicked.
    emptyPanels(3);
}

void frmClaimForm::SetGridRow(int row, const QString& name, const QString& value) {
    pictureGrid_->SetGridRow(row, name, value);
}

QString frmClaimForm::shownNodeKey() const {
    return pictureTree_->selectedKey();
}

int frmClaimForm::currentFieldSlot() const {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    const int row = pictureGrid_->currentField();
    return layout && row >= 1 && row <= layout->fieldCount() ? row - 1 : -1;
}

void frmClaimForm::showCurrentField(bool focusRawLine) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    const int row = pictureGrid_->currentField();
    if (!layout || row < 1 || row > layout->fieldCount())
        return;
    const qm::FieldDef& field = layout->field(row - 1);
    describeField(recordType, field);
    pictureText_->selectField(field);
    if (focusRawLine)
        pictureText_->line()->setFocus();
}

void frmClaimForm::describeField(const QString& recordType, const qm::FieldDef& field) {
    panels_[0]->setText(recordType + QStringLiteral(" : ") + CoreText::fromFile(field.FieldId));
    panels_[1]->setText(QString::number(field.StartPos) + QStringLiteral(" - ") +
                        QString::number(field.EndPos));
    panels_[2]->setText(QString::number(field.Length));
    panels_[3]->setText(CoreText::fromFile(field.TypeCodes));
}

void frmClaimForm::stepField(int rows) {
    if (pictureGrid_->grid()->rowCount() == 0)
        return;
    pictureGrid_->step(rows);
    showCurrentField(false);
}

void frmClaimForm::showFieldAtColumn(int column) {
    QString recordType;
    const qm::RecordLayout* layout = selectedLayout(recordType);
    if (!layout)
        return;
    const int field = RawLinePane::fieldAtColumn(*layout, column);
    if (field < 0 || !pictureGrid_->setCurrentField(field + 1)) {
        pictureGrid_->clearCurrentField();
        emptyPanels(4);
        return;
    }
    describeField(recordType, layout->field(field));
}

void frmClaimForm::emptyPanels(int count) {
    for (int i = 0; i < count; ++i)
        panels_[i]->clear();
}

bool frmClaimForm::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        Twips::keepOuterSizeAtLeast(this, kMinimumWindowTwips, kMinimumWindowTwips);
    return QWidget::event(event);
}

bool frmClaimForm::eventFilter(QObject* watched, QEvent* event) {
    // The splitter has shared a new width by its own rule by now.
    if ((watched == pictureTree_ || watched == pictureGrid_) && event->type() == QEvent::Resize &&
        panesSized_ && splitClaimForm_->width() != sharedWidth_)
        shareWidth();
    return QWidget::eventFilter(watched, event);
}

void frmClaimForm::shareWidth() {
    if (sharing_)
        return;
    const QScopedValueRollback<bool> sharing(sharing_, true);
    const int total = splitClaimForm_->width() - splitClaimForm_->handleWidth();
    if (total <= 0)
        return;
    sharedWidth_ = splitClaimForm_->width();
    int tree = std::max(pictureTree_->keysWidth(), std::min(treeWidth_, total - gridWidth_));
    tree = std::min(tree, total - pictureGrid_->minimumSizeHint().width());
    tree = std::max(tree, pictureTree_->minimumSizeHint().width());
    if (tree != splitClaimForm_->sizes().value(0))
        splitClaimForm_->setSizes({tree, total - tree});
}

void frmClaimForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!panesSized_) {
        sizePanes();
        panesSized_ = true;
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
        const int text =
            pictureText_->ruler()->sizeHint().height() + Twips::y(kTextPaneHeight, this);
        const int panes = splitRecord_->height() - splitRecord_->handleWidth() - text;
        splitRecord_->setSizes({std::max(0, panes), text});
    }
    treeWidth_ = splitClaimForm_->sizes().value(0);
    gridWidth_ = splitClaimForm_->sizes().value(1);
    shareWidth();
}

QSize frmClaimForm::sizeHint() const {
    QSize size = Twips::size(kDefaultWindowTwips, kDefaultWindowTwips, this);
    // Inside a document window the frame takes its part of the designed size.
    if (const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget()))
        size -= frame->size() - this->size();
    return size;
}

QWidget* frmClaimForm::outerWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return frame;
    return this;
}

QString frmClaimForm::selectedRecordKey() const {
    return pictureTree_ ? pictureTree_->selectedKey() : QString();
}

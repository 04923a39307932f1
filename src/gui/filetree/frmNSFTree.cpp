#include "gui/filetree/frmNSFTree.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundRelease.h"
#include "gui/common/ElidedLabel.h"
#include "gui/common/FilterBar.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/PlainText.h"
#include "gui/common/StatusProgressBar.h"
#include "gui/common/Twips.h"
#include "gui/common/frmGoToLine.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/InViewExpander.h"
#include "gui/filetree/MarkRoomDelegate.h"
#include "gui/filetree/NodeFindJob.h"
#include "gui/filetree/TreeDisplayFilter.h"
#include "gui/find/frmFind.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStringList>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

// The icons live in a static library: make sure they are registered.
static void initFileTreeResources() {
    Q_INIT_RESOURCE(filetree);
}

namespace {

const QString kFindKey = QStringLiteral("Find");
const QString kPropertiesKey = QStringLiteral("Properties");
const QString kFindTitle = QStringLiteral("Find/Search Result");

constexpr float kMinimumOuterTwips = 5000;
constexpr float kToolbarButtonWidthTwips = 487;
constexpr float kToolbarButtonHeightTwips = 466;
// The tree sits in the top-left corner of its pane, this much narrower and shorter.
constexpr float kTreeRightGapTwips = 25;
constexpr float kTreeBottomGapTwips = 110;

QIcon toolbarIcon(const QString& themeName, const QString& bundledFile) {
    return QIcon::fromTheme(themeName, QIcon(QStringLiteral(":/filetree/") + bundledFile));
}

// A funnel, for "Only claims with problems" where the theme has no filter icon.
QIcon filterIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath funnel;
    funnel.moveTo(1.5, 2.5);
    funnel.lineTo(14.5, 2.5);
    funnel.lineTo(9.5, 8.5);
    funnel.lineTo(9.5, 14.5);
    funnel.lineTo(6.5, 12.5);
    funnel.lineTo(6.5, 8.5);
    funnel.closeSubpath();
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(250, 200, 60));
    painter.drawPath(funnel);
    return QIcon::fromTheme(QStringLiteral("view-filter"), QIcon(pixmap));
}

} // namespace

frmNSFTree::frmNSFTree(ClaimDocument& document, QWidget* parent)
    : QWidget(parent)
    , document_(&document)
    , file_(document.sharedFile())
    , tree_(document.tree() ? document.tree() : std::make_shared<const qm::FileTree>())
    , marks_(&document.check()) {
    initFileTreeResources();
    setObjectName(QStringLiteral("frmNSFTree"));
    createToolbar();
    createTreeView();
    createStatusBar();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar1_);
    layout->addWidget(picture1_, 1);
    layout->addWidget(statusBar1_);
    applyMinimumSize();

    setWindowTitle(document.windowTitle(QStringLiteral("NSF File Tree")));
    document.findState().FindIndex = 0;
    document.closeWithFile(this);
    BuildTree();
    // The display filter's bar goes under the toolbar.
    displayFilter_ = new TreeDisplayFilter(document, *model_, this);
    layout->insertWidget(1, displayFilter_->bar());
    layout->insertWidget(2, displayFilter_->stateRow());
    connect(displayFilter_, &TreeDisplayFilter::cleared, this,
            [this] { setProblemsOnly(problemsOnly_->isChecked()); });

    QScrollBar* rows = treeView1_->verticalScrollBar();
    connect(rows, &QScrollBar::rangeChanged, this, &frmNSFTree::keepFoundNodeInSight,
            Qt::QueuedConnection);
    connect(rows, &QScrollBar::actionTriggered, this, [this] { foundNode_ = QModelIndex(); });
    connect(treeView1_, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { emit nodeActivated(FileTreeModel::nodeOf(index)); });
    // A click opens the node in the claim form, through the document.
    connect(this, &frmNSFTree::nodeActivated, &document,
            [document = QPointer<ClaimDocument>(&document)](qint64 node) {
                if (document)
                    document->clickNode(node);
            });
}

void frmNSFTree::createToolbar() {
    toolbar1_ = new QToolBar(this);
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar1_->setIconSize(QSize(16, 16));
    toolbar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar1_->setMovable(false);
    toolbar1_->setFloatable(false);
    const QSize buttonSize = Twips::size(kToolbarButtonWidthTwips, kToolbarButtonHeightTwips, this);
    auto addButton = [&](const QString& key, const QIcon& icon) {
        QAction* button = toolbar1_->addAction(icon, key);
        button->setObjectName(key);
        button->setToolTip(key);
        toolbar1_->widgetForAction(button)->setFixedSize(buttonSize);
        return button;
    };
    QAction* findButton =
        addButton(kFindKey, toolbarIcon(QStringLiteral("edit-find"), QStringLiteral("find.png")));
    addButton(kPropertiesKey,
              toolbarIcon(QStringLiteral("document-properties"), QStringLiteral("properties.png")));
    toolbar1_->addSeparator();
    problemsOnly_ = toolbar1_->addAction(filterIcon(), QStringLiteral("Only claims with problems"));
    problemsOnly_->setObjectName(QStringLiteral("cmdProblemsOnly"));
    problemsOnly_->setCheckable(true);
    problemsOnly_->setEnabled(false);
    if (auto* button = qobject_cast<QToolButton*>(toolbar1_->widgetForAction(problemsOnly_)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(problemsOnly_, &QAction::toggled, this, &frmNSFTree::setProblemsOnly);
    connect(toolbar1_, &QToolBar::actionTriggered, this, &frmNSFTree::Toolbar1ButtonClick);
    addKeyboardCommands(findButton);
}

void frmNSFTree::createTreeView() {
    picture1_ = new QWidget(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    treeView1_ = new QTreeView(picture1_);
    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setToolTip(QStringLiteral("Click item to view the entire claim"));
    treeView1_->setHeaderHidden(true);
    // Long texts scroll sideways instead of being cut short with an ellipsis:
    // the column fits the rows in view (InViewExpander). Fitting it to the
    // contents would measure a thousand rows at each batch opened.
    treeView1_->header()->setStretchLastSection(false);
    treeView1_->header()->setResizeContentsPrecision(0);
    treeView1_->setUniformRowHeights(true);
    treeView1_->setItemDelegate(new MarkRoomDelegate(treeView1_));
    treeView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    treeView1_->installEventFilter(this);
    auto* pictureLayout = new QVBoxLayout(picture1_);
    const QSize gap = Twips::size(kTreeRightGapTwips, kTreeBottomGapTwips, this);
    pictureLayout->setContentsMargins(0, 0, gap.width(), gap.height());
    pictureLayout->addWidget(treeView1_);
}

void frmNSFTree::createStatusBar() {
    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    panel1_ = new QLabel(statusBar1_);
    panel1_->setObjectName(QStringLiteral("StatusBar1Panel1"));
    panel2_ = new QLabel(statusBar1_);
    panel2_->setObjectName(QStringLiteral("StatusBar1Panel2"));
    statusBar1_->addWidget(panel1_);
    statusBar1_->addWidget(panel2_);
    addCheckControls();
}

frmNSFTree::~frmNSFTree() {
    if (marks_)
        marks_->disconnect(this);
    // The view lets go of the model before the tree under it goes, on a
    // thread of its own when this window held it last.
    treeView1_->setModel(nullptr);
    delete model_;
    BackgroundRelease::drop(std::move(tree_));
    BackgroundRelease::drop(std::move(file_));
}

void frmNSFTree::addKeyboardCommands(QAction* findButton) {
    // Keys that work wherever the focus is in this window, and only there:
    // the claim form beside it keeps its own use of them.
    auto bind = [this](QAction* action, const QKeySequence& keys,
                       Qt::ShortcutContext context = Qt::WidgetWithChildrenShortcut) {
        action->setShortcut(keys);
        action->setShortcutContext(context);
        addAction(action);
    };
    bind(findButton, QKeySequence(Qt::CTRL | Qt::Key_F));
    auto command = [this, &bind](const QString& name, const QString& text, const QKeySequence& keys,
                                 void (frmNSFTree::*slot)(),
                                 Qt::ShortcutContext context = Qt::WidgetWithChildrenShortcut) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        bind(action, keys, context);
        connect(action, &QAction::triggered, this, slot);
    };
    command(QStringLiteral("cmdFindAgain"), QStringLiteral("Find Next"), QKeySequence(Qt::Key_F3),
            &frmNSFTree::FindAgain);
    command(QStringLiteral("cmdFindPrevious"), QStringLiteral("Find Previous"),
            QKeySequence(Qt::SHIFT | Qt::Key_F3), &frmNSFTree::FindPrevious);
    command(QStringLiteral("mnuGoToLine"), QStringLiteral("Go to Line..."),
            QKeySequence(Qt::CTRL | Qt::Key_G), &frmNSFTree::goToLine);
    // These go on working in the claim form they open (wherever the focus is
    // in the application: a window-wide key would stop at this document
    // window's frame), so that the user can walk from one problem to the next.
    command(QStringLiteral("cmdNextProblem"), QStringLiteral("Next Problem"),
            QKeySequence(Qt::Key_F8), &frmNSFTree::nextProblem, Qt::ApplicationShortcut);
    command(QStringLiteral("cmdPreviousProblem"), QStringLiteral("Previous Problem"),
            QKeySequence(Qt::SHIFT | Qt::Key_F8), &frmNSFTree::previousProblem,
            Qt::ApplicationShortcut);
}

void frmNSFTree::goToLine() {
    if (!document_ || !file_)
        return;
    // The lines are counted by the lines window; only the bytes are known here.
    auto* dialog = new frmGoToLine(0, file_->file().size(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (document_)
            document_->showLine(dialog->target().line, dialog->target().position);
    });
    dialog->open();
}

void frmNSFTree::addCheckControls() {
    // The check's state takes what room the counts leave, and gives way.
    panel3_ = new ElidedLabel(statusBar1_);
    panel3_->setObjectName(QStringLiteral("StatusBar1Panel3"));
    statusBar1_->addWidget(panel3_, 1);
    // The counts never give way to the bar: it does.
    checkProgress_ = new StatusProgressBar(QStringLiteral("Checking claims\u2026"), statusBar1_);
    checkProgress_->setObjectName(QStringLiteral("prgCheck"));
    statusBar1_->addPermanentWidget(checkProgress_);
    auto addButton = [this](const QString& name, const QString& text) {
        auto* button = new QToolButton(statusBar1_);
        button->setObjectName(name);
        button->setText(text);
        button->setAutoRaise(true);
        statusBar1_->addPermanentWidget(button);
        return button;
    };
    cancelCheck_ = addButton(QStringLiteral("cmdCancelCheck"), QStringLiteral("Cancel"));
    // An icon, so that the counts, the bar and the button fit the window's
    // first-run width.
    cancelCheck_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancelCheck_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    cancelCheck_->setToolTip(QStringLiteral("Cancel the check"));
    connect(cancelCheck_, &QToolButton::clicked, this, [this] {
        if (marks_)
            marks_->cancelCheck();
    });
    checkAgain_ = addButton(QStringLiteral("cmdCheckAgain"), QStringLiteral("Check Again"));
    connect(checkAgain_, &QToolButton::clicked, this, &frmNSFTree::startCheck);
    showCheckState();
}

void frmNSFTree::BuildTree() {
    // The document built the tree; the window shows it, with the marks of
    // its check as far as it has come.
    model_ = new FileTreeModel(*tree_, this);
    treeView1_->setModel(model_);
    // Every node with children opens as it comes into view; the view starts
    // at the top, where the file header is.
    new InViewExpander(treeView1_);
    // Only marks change, never a row's text or height: the view paints anew.
    // Left to itself it would look each changed row up among the rows it has
    // laid out, all of them for a row it has not.
    disconnect(model_, &QAbstractItemModel::dataChanged, treeView1_, nullptr);
    connect(model_, &QAbstractItemModel::dataChanged, treeView1_->viewport(),
            qOverload<>(&QWidget::update));
    treeView1_->scrollToTop();

    panel1_->setText(QStringLiteral("BA0 Count: ") + QString::number(tree_->BatchCount));
    panel2_->setText(QStringLiteral("CA0 Count: ") + QString::number(tree_->ClaimCount));
    // Whole or not at all: a count cut short reads as another number.
    for (QLabel* counts : {panel1_, panel2_})
        counts->setMinimumWidth(counts->sizeHint().width());
    keepStatusWhole();
    showProblemMarks();
}

qint64 frmNSFTree::selectedNode() const {
    const QModelIndexList selected = treeView1_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : FileTreeModel::nodeOf(selected.constFirst());
}

void frmNSFTree::Toolbar1ButtonClick(QAction* button) {
    const QString key = button->objectName();
    if (key == kFindKey)
        FindNext();
    else if (key == kPropertiesKey)
        ShowRecordProperties();
}

void frmNSFTree::ShowRecordProperties() {
    const qint64 node = selectedNode();
    if (node < 0)
        return;
    const QString key = QString::fromStdString(tree_->key(node));
    MessageBoxes::showMessage(this,
                              QStringLiteral("Record Type: ") + key.left(3) + QLatin1Char('\n') +
                                  QStringLiteral("Absolute Record Position (bytes): ") + key.mid(3),
                              QStringLiteral("Record Information"), qm::MessageIcon::Information);
}

QString frmNSFTree::notFoundText() const {
    // The text as typed, not upper-cased.
    return QLatin1Char('\'') + document_->findState().SearchText +
           QStringLiteral("' was not found.");
}

void frmNSFTree::FindNext() {
    find(Direction::Forward, true);
}

void frmNSFTree::FindAgain() {
    if (document_)
        find(Direction::Forward, document_->findState().SearchText.isEmpty());
}

void frmNSFTree::FindPrevious() {
    if (document_)
        find(Direction::Backward, document_->findState().SearchText.isEmpty());
}

void frmNSFTree::find(Direction direction, bool askForText) {
    if (!document_)
        return;
    FindState& m = document_->findState();
    // Indexes here are the tree's 1-based ones; FindIndex is the last hit.
    const qint64 count = tree_->size();
    const bool forward = direction == Direction::Forward;
    // Where a search past the end (or, backwards, the top) starts again.
    const qint64 wrapStart = forward ? 1 : count;
    qint64 start = wrapStart;
    if (forward) {
        if (m.FindIndex == 0)
            m.FindIndex = 1;
        else if (m.FindIndex < count)
            start = m.FindIndex + 1;
    } else if (m.FindIndex > 1 && m.FindIndex <= count) {
        start = m.FindIndex - 1;
    }

    if (askForText) {
        frmFind dialog(m, this);
        dialog.exec();
    }

    qint64 end = forward ? count : 1;
    const QPointer<frmNSFTree> alive(this);
    for (;;) {
        if (m.SearchText.isEmpty())
            return;
        const std::optional<qint64> found =
            NodeFindJob::run(tree_, m.SearchText, forward ? start : end, forward ? end : start,
                             !forward, kFindTitle, this);
        // The window may have gone with its file while the search ran.
        if (!alive || !found)
            return;
        const qint64 hit = *found;
        if (hit) {
            selectFoundNode(hit - 1);
            m.FindIndex = hit;
            return;
        }
        if (start != wrapStart) {
            const QString again = forward ? QStringLiteral(" Start from the begining?")
                                          : QStringLiteral(" Start from the end?");
            const qm::MessageAnswer answer =
                MessageBoxes::showMessage(this, notFoundText() + again, kFindTitle,
                                          qm::MessageIcon::None, qm::MessageButtons::RetryCancel);
            if (answer == qm::MessageAnswer::Retry) {
                end = start;
                start = wrapStart;
                m.FindIndex = wrapStart;
                continue;
            }
        }
        MessageBoxes::showMessage(this, notFoundText(), kFindTitle, qm::MessageIcon::Information);
        return;
    }
}

void frmNSFTree::selectNode(qint64 node) {
    // A node hidden by the filter or "Only claims with problems" is shown
    // with all the others.
    if (!model_->isShown(node)) {
        displayFilter_->clear();
        problemsOnly_->setChecked(false);
    }
    const QModelIndex index = model_->nodeIndex(node);
    treeView1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    treeView1_->scrollTo(index);
}

void frmNSFTree::selectFoundNode(qint64 node) {
    // Selected quietly: only a click or Enter opens a claim.
    selectNode(node);
    foundNode_ = model_->nodeIndex(node);
}

void frmNSFTree::activateNode(qint64 node) {
    if (node < 0 || node >= tree_->size())
        return;
    selectNode(node);
    emit nodeActivated(node);
}

void frmNSFTree::showNode(qint64 node) {
    if (node >= 0 && node < tree_->size())
        selectFoundNode(node);
}

void frmNSFTree::goTo(qint64 node, bool quietly) {
    if (node < 0 || node >= tree_->size())
        return;
    if (quietly)
        selectFoundNode(node);
    else
        selectNode(node);
}

void frmNSFTree::showProblemMarks() {
    model_->setProblems(marks_);
    if (marks_) {
        for (auto signal : {&ProblemMarks::checkStarted, &ProblemMarks::checkEnded})
            connect(marks_, signal, this, &frmNSFTree::showCheckState);
        connect(marks_, &ProblemMarks::checkProgressed, this, &frmNSFTree::showCheckState);
        connect(marks_, &ProblemMarks::checkGoing, this, [this] {
            marks_ = nullptr;
            showCheckState();
        });
    }
    showCheckState();
}

ProblemMarks* frmNSFTree::problemMarks() const {
    return marks_;
}

void frmNSFTree::nextProblem() {
    if (!marks_)
        return;
    qint64 node = marks_->nextMarkedClaim(FileTreeModel::nodeOf(treeView1_->currentIndex()));
    if (node < 0)
        node = marks_->nextMarkedClaim(-1);
    if (node >= 0)
        activateNode(node);
}

void frmNSFTree::previousProblem() {
    if (!marks_)
        return;
    const QModelIndex current = treeView1_->currentIndex();
    qint64 node = marks_->previousMarkedClaim(current.isValid() ? FileTreeModel::nodeOf(current)
                                                                : tree_->size());
    if (node < 0)
        node = marks_->previousMarkedClaim(tree_->size());
    if (node >= 0)
        activateNode(node);
}

void frmNSFTree::startCheck() {
    if (marks_)
        marks_->startCheck();
}

void frmNSFTree::showCheckState() {
    const ProblemMarks::State state = marks_ ? marks_->state() : ProblemMarks::State::NotStarted;
    const bool running = state == ProblemMarks::State::Running;
    checkProgress_->setVisible(running);
    checkProgress_->setValue(marks_ ? marks_->percent() : 0);
    cancelCheck_->setVisible(running);
    checkAgain_->setVisible(state == ProblemMarks::State::Cancelled ||
                            (marks_ && marks_->fileChanged()));
    problemsOnly_->setEnabled(state != ProblemMarks::State::NotStarted);

    const QString text = marks_ ? marks_->statusText() : QString();
    panel3_->setText(text);
    panel3_->setVisible(!text.isEmpty());
    panel3_->setDetails(marks_ ? marks_->statusToolTip() : QString());
    keepStatusWhole();
}

void frmNSFTree::keepStatusWhole() {
    // A window too narrow for its status line grows to it: counts cut
    // short, or run over by the check's bar, read as other numbers.
    const int needed = statusBar1_->minimumSizeHint().width();
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || !isVisible())
        return;
    const int frameNeeded = needed + frame->width() - width();
    frame->setMinimumWidth(qMax(frame->minimumWidth(), frameNeeded));
    if (frame->width() < frameNeeded)
        frame->resize(frameNeeded, frame->height());
}

void frmNSFTree::setProblemsOnly(bool on) {
    const qint64 current = FileTreeModel::nodeOf(treeView1_->currentIndex());
    // With a filter applied, the filter shows only those with problems.
    if (displayFilter_ && displayFilter_->setProblemsOnly(on))
        return;
    model_->setProblemsOnly(on);
    const QModelIndex index = model_->nodeIndex(current);
    if (index.isValid()) {
        treeView1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        treeView1_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

void frmNSFTree::keepFoundNodeInSight() {
    // Opening the found node's batch lays the view out again a moment after
    // the scroll (a wider column, a sideways scroll bar taking a row's
    // height), which can leave the node cut at an edge: scroll again then,
    // unless the user has moved on.
    if (foundNode_.isValid() && treeView1_->currentIndex() == foundNode_)
        treeView1_->scrollTo(foundNode_);
}

void frmNSFTree::applyMinimumSize() {
    Twips::keepOuterSizeAtLeast(this, kMinimumOuterTwips, kMinimumOuterTwips);
}

void frmNSFTree::closeEvent(QCloseEvent* event) {
    // The check goes on: it is the document's.
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

bool frmNSFTree::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        applyMinimumSize();
    return QWidget::event(event);
}

bool frmNSFTree::eventFilter(QObject* watched, QEvent* event) {
    if (watched == treeView1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QModelIndex current = treeView1_->currentIndex();
            if (current.isValid())
                emit nodeActivated(FileTreeModel::nodeOf(current));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

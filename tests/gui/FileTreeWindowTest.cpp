// The file tree window: the tree built from a claim file, its layout, record
// properties, find-next with the find dialog, node clicks, and its place as a
// document window of the main window.
#include "ClaimFileBuilder.h"
#include "GuiTest.h"
#include "core/common/ProgressControl.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/common/WindowPositions.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/NodeTextSearch.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/find/frmFind.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace {

const QString kFindTitle = QStringLiteral("Find/Search Result");

QString samplePath(const char* name) {
    return QDir(QStringLiteral(SAMPLES_DIR)).filePath(QLatin1String(name));
}

// A claim-file line of 320 characters with values at 1-based columns.
QByteArray record(const char* type, const std::vector<std::pair<int, QByteArray>>& values = {}) {
    std::vector<std::pair<int, std::string>> texts;
    for (const auto& [column, value] : values)
        texts.emplace_back(column, value.toStdString());
    return QByteArray::fromStdString(ClaimFileBuilder::record(type, texts));
}

QByteArray aa0(const QByteArray& submitter) {
    return record("AA0", {{4, submitter}});
}

// A batch shown by its organisation name (columns 198-219 left blank).
QByteArray ba0(const QByteArray& taxId, const QByteArray& organisation) {
    return record("BA0", {{32, taxId}, {165, organisation}});
}

QByteArray ca0(const QByteArray& controlNumber, const QByteArray& last, const QByteArray& first) {
    return record("CA0", {{6, controlNumber}, {23, last}, {43, first}});
}

// The nine-node tree of the find tests: only nodes 2 and 5 hold "NEEDLE", only
// node 9 holds "ZULU".
QList<QByteArray> nineNodeLines() {
    return {aa0("SUBMITTER"),
            ba0("111111111", "NEEDLEWORK CLINIC"),
            ca0("PCN1", "ALPHA", "ANN"),
            record("XA0"),
            ca0("PCN2", "BRAVO", "BEN"),
            ca0("PCN3", "NEEDLER", "CARL"),
            record("YA0"),
            ba0("222222222", "RIVERSIDE GROUP"),
            ca0("PCN4", "DELTA", "DAN"),
            ca0("PCN5", "ECHO", "EVE"),
            ca0("PCN6", "ZULU", "ZED"),
            record("ZA0")};
}

enum class Leave { FindIt, Cancel, CloseBox };

// The nodes of the rows in view, top to bottom, once the view has painted.
QList<qint64> rowsInView(QTreeView& view) {
    view.viewport()->repaint();
    QList<qint64> nodes;
    for (QModelIndex index = view.indexAt(QPoint(0, 0));
         index.isValid() && view.visualRect(index).top() < view.viewport()->height();
         index = view.indexBelow(index))
        nodes.append(FileTreeModel::nodeOf(index));
    return nodes;
}

} // namespace

class FileTreeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The tree built from a claim file
    void sampleTreeHasItsKeysTextsAndParents_data();
    void sampleTreeHasItsKeysTextsAndParents();
    void modelPassesTheModelTester();
    void rowsOpenAsTheyComeIntoView_data();
    void rowsOpenAsTheyComeIntoView();
    void aBatchTheUserClosedStaysClosed();
    void fileWithoutRecordsGivesAnEmptyTree();
    void loadingResetsFindIndexAndNamesTheFile();

    // Layout
    void toolbarHasFindThenPropertiesAsIcons();
    void treeTellsWhatAClickDoes();
    void treeFillsThePaneUnderTheToolbarLessItsMargins();
    void windowNeverGetsSmallerThanItsMinimum();
    void longTextsScrollSidewaysUncut();

    // Record properties
    void propertiesTellTypeAndPosition_data();
    void propertiesTellTypeAndPosition();
    void propertiesWithoutSelectionShowNothing();

    // Find
    void nineNodesFindTwoThenFiveThenAskAndWrapToTwo();
    void findGoesPastSlicesBothWaysAndStopsOnCancel();
    void cancellingTheFirstFindStillMovesFindIndexToOne();
    void retryWithoutHitSetsFindIndexToOneAndSaysNotFound();
    void cancelAtThePromptSaysNotFoundAndKeepsFindIndex();
    void afterAHitOnTheLastNodeFindWrapsWithoutAsking();
    void firstFindWithoutHitNeverAsks();
    void matchIgnoresCase_data();
    void matchIgnoresCase();
    void closeBoxSearchesThePreviousText();
    void emptySearchTextSearchesNothing();
    void emptyTreeSaysNotFound();
    void findOpensACollapsedBatch();
    void findWorksAfterTheFileWasClosed();
    void findReachesIndexesBeyondSixteenBits();
    void keysFindForwardAndBack();
    void foundNodeIsWhollyInView_data();
    void foundNodeIsWhollyInView();

    // Marks
    void rowsHaveTheirHeightAndRoomForAMarkFromTheStart();
    void marksAreTheProgramsOwnDrawings();

    // Node clicks
    void clickAndEnterActivateButFindDoesNot();

    // In the main window
    void viewClaimsShowsOneTreeUntilItIsClosed();
    void slowBuildShowsItsProgressAndCanBeCancelled();

private:
    QString writeClaimFile(const QString& name, const QList<QByteArray>& lines) const;
    bool openClaimFile(const QString& path);
    // The tree window over the tree of path, built by the document (the
    // test's own when it opened path already).
    std::unique_ptr<frmNSFTree> showTree(const QString& path);
    std::unique_ptr<frmMain> startWith(const QString& path);
    bool pressFind(frmNSFTree& window, const QString& typed, Leave leave = Leave::FindIt,
                   const QKeySequence& keys = QKeySequence());
    bool pressWithoutDialog(frmNSFTree& window, const QKeySequence& keys);
    QTreeView* treeView(const frmNSFTree& window) const;
    QString panelText(const frmNSFTree& window, int panel) const;
    qint64 selectedIndex(const frmNSFTree& window) const;
    // The find state of the file the test opened, or of the one the main window did.
    FindState& findState() const {
        return (session_ ? *session_ : *context_->document()).findState();
    }
    qint64 findIndex() const { return findState().FindIndex; }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<ClaimDocument> session_; // the file a test opened without a main window
};

void FileTreeWindowTest::initTestCase() {
    GuiTest::initTestCase();
}

void FileTreeWindowTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
}

void FileTreeWindowTest::cleanup() {
    WindowPositions::setScreenAreas(qApp, {});
    session_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

QString FileTreeWindowTest::writeClaimFile(const QString& name,
                                           const QList<QByteArray>& lines) const {
    const QString path = dir_->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    for (const QByteArray& line : lines)
        file.write(line + "\r\n");
    return path;
}

// Opens a claim file as it is, without its map.
bool FileTreeWindowTest::openClaimFile(const QString& path) {
    session_ = GuiTest::openDocument(path);
    return session_ != nullptr;
}

// A tree window on path, opened unless the test opened it already.
std::unique_ptr<frmNSFTree> FileTreeWindowTest::showTree(const QString& path) {
    const bool opened = session_ && session_->path() == QDir::toNativeSeparators(path);
    if (path.isEmpty() || (!opened && !openClaimFile(path))) {
        qWarning("Cannot open %s", qUtf8Printable(path));
        return nullptr;
    }
    if (!session_->ensureTree()) {
        qWarning("No tree was built of %s", qUtf8Printable(path));
        return nullptr;
    }
    auto window = std::make_unique<frmNSFTree>(*session_);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("The tree window was not exposed");
    return window;
}

// Starts the application on path as its command line does, with the maps
// found in the start-up folder.
std::unique_ptr<frmMain> FileTreeWindowTest::startWith(const QString& path) {
    const QString before = QDir::currentPath();
    if (!QDir::setCurrent(QStringLiteral(MAPS_DIR)))
        return nullptr;
    std::unique_ptr<frmMain> main = Startup::run(*context_, {path});
    QDir::setCurrent(before);
    return main;
}

// Presses Find on the toolbar (or the keys given, in the tree) and answers the
// find dialog it opens: types `typed` over the box's text (a null string
// leaves the box as it opened) and leaves the dialog by `leave`. False when
// no find dialog came up.
bool FileTreeWindowTest::pressFind(frmNSFTree& window, const QString& typed, Leave leave,
                                   const QKeySequence& keys) {
    bool answered = false;
    int attempts = 0;
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<frmFind*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++attempts < 200)
                QTimer::singleShot(10, &window, answer);
            return;
        }
        if (!typed.isNull())
            dialog->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(typed);
        if (leave == Leave::FindIt)
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdSearch")),
                              Qt::LeftButton);
        else if (leave == Leave::Cancel)
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                              Qt::LeftButton);
        else
            dialog->close();
        answered = true;
    };
    QTimer::singleShot(0, &window, answer);
    if (!keys.isEmpty())
        QTest::keySequence(treeView(window), keys);
    else if (!GuiTest::triggerAction(&window, QStringLiteral("Find")))
        return false;
    return answered && !QApplication::activeModalWidget();
}

// Presses keys in the tree; false when a find dialog came up (it is closed).
bool FileTreeWindowTest::pressWithoutDialog(frmNSFTree& window, const QKeySequence& keys) {
    bool dialogSeen = false;
    QTimer guard;
    connect(&guard, &QTimer::timeout, this, [&dialogSeen] {
        if (auto* dialog = qobject_cast<frmFind*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            dialog->close();
        }
    });
    guard.start(10);
    QTest::keySequence(treeView(window), keys);
    return !dialogSeen;
}

QTreeView* FileTreeWindowTest::treeView(const frmNSFTree& window) const {
    return window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
}

QString FileTreeWindowTest::panelText(const frmNSFTree& window, int panel) const {
    const auto* label = window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(panel));
    return label ? label->text() : QStringLiteral("<no panel %1>").arg(panel);
}

// The selected node as the tree's 1-based index, or 0.
qint64 FileTreeWindowTest::selectedIndex(const frmNSFTree& window) const {
    return window.selectedNode() + 1;
}

// --- The tree built from a claim file ---

void FileTreeWindowTest::sampleTreeHasItsKeysTextsAndParents_data() {
    QTest::addColumn<QString>("file");
    // One entry a node in tree order: depth, key, text.
    QTest::addColumn<QStringList>("nodes");
    QTest::addColumn<QString>("batchCount");
    QTest::addColumn<QString>("claimCount");

    QTest::newRow("3.01") << samplePath("sample301.nsf")
                          << QStringList{
                                 QStringLiteral("0 AA01 AA0: QMSUBMITTER0001"),
                                 QStringLiteral("1 BA0323 BA0: 163376737 - LINDQVIST, DESMOND"),
                                 QStringLiteral("2 CA0967 CA0: O'DONNELL, WILMA (OW000000001)"),
                                 QStringLiteral("2 CA04831 CA0: GALLOWAY, MABEL (GM000000002)"),
                                 QStringLiteral("2 CA09017 CA0: HOLLIS, DESMOND (HD000000003)"),
                                 QStringLiteral("1 BA011915 BA0: 487251821 - LAKEVIEW FAMILY PRACTICE"),
                                 QStringLiteral("2 CA012237 CA0: FAIRCHILD, HOMER (FH000000004)"),
                                 QStringLiteral("2 CA016101 CA0: EASTMAN, DESMOND (ED000000005)"),
                                 QStringLiteral("2 CA018999 CA0: RASMUSSEN, MARGUERITE (RM000000006)"),
                             }
                          << QStringLiteral("BA0 Count: 2") << QStringLiteral("CA0 Count: 6");
    QTest::newRow("2.00") << samplePath("sample200.nsf")
                          << QStringList{
                                 QStringLiteral("0 AA01 AA0: QMSUBMITTER0001"),
                                 QStringLiteral("1 BA0323 BA0: 280647619 - O'DONNELL, WILMA"),
                                 QStringLiteral("2 CA0645 CA0: WAINWRIGHT, JASPER (WJ000000001)"),
                                 QStringLiteral("2 CA03221 CA0: UNDERHILL, WILMA (UW000000002)"),
                                 QStringLiteral("2 CA05797 CA0: O'DONNELL, LEON (OL000000003)"),
                                 QStringLiteral("1 BA08051 BA0: 749985548 - CEDAR HILLS MEDICAL GROUP"),
                                 QStringLiteral("2 CA08373 CA0: IVERSEN, MABEL (IM000000004)"),
                                 QStringLiteral("2 CA011593 CA0: DELACROIX, MABEL (DM000000005)"),
                             }
                          << QStringLiteral("BA0 Count: 2") << QStringLiteral("CA0 Count: 5");
}

void FileTreeWindowTest::sampleTreeHasItsKeysTextsAndParents() {
    QFETCH(QString, file);
    QFETCH(QStringList, nodes);
    QFETCH(QString, batchCount);
    QFETCH(QString, claimCount);

    const auto window = showTree(file);
    QVERIFY(window);
    const QAbstractItemModel* model = treeView(*window)->model();
    QVERIFY(model);

    // What the view shows, walked in tree order, with the key of the node
    // behind each row: tree order must be file order (node numbers ascend).
    QStringList shown;
    qint64 expectedNode = 0;
    std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int depth) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            const qint64 node = FileTreeModel::nodeOf(index);
            QCOMPARE(node, expectedNode++);
            shown.append(QStringLiteral("%1 %2 %3")
                             .arg(depth)
                             .arg(QString::fromStdString(window->tree().key(node)),
                                  index.data().toString()));
            walk(index, depth + 1);
        }
    };
    walk(QModelIndex(), 0);
    QCOMPARE(shown, nodes);
    QCOMPARE(window->tree().size(), qint64(nodes.size()));
    QCOMPARE(panelText(*window, 1), batchCount);
    QCOMPARE(panelText(*window, 2), claimCount);
}

void FileTreeWindowTest::modelPassesTheModelTester() {
    const auto window = showTree(samplePath("sample301.nsf"));
    QVERIFY(window);
    QAbstractItemModelTester tester(treeView(*window)->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void FileTreeWindowTest::rowsOpenAsTheyComeIntoView_data() {
    QTest::addColumn<bool>("fromTheEnd");
    QTest::newRow("paging down from the top") << false;
    QTest::newRow("paging up from the end") << true;
}

void FileTreeWindowTest::rowsOpenAsTheyComeIntoView() {
    QFETCH(bool, fromTheEnd);
    // Enough claims that the last one starts far out of a fresh window's sight.
    QList<QByteArray> lines{aa0("SUBMITTER")};
    for (int batch = 0; batch < 4; ++batch) {
        lines.append(ba0(QByteArray::number(100000000 + batch), "GROUP"));
        // The third batch's names are the widest: the column must widen for them.
        const QByteArray first = batch == 2 ? "FIRSTNAMEOFTHEWIDESTROW" : "FIRST";
        for (int claim = 0; claim < 30; ++claim)
            lines.append(ca0("PCN", "LAST" + QByteArray::number(batch * 100 + claim), first));
    }
    // A batch without claims has nothing to open.
    lines.append(ba0("999999999", "EMPTY GROUP"));
    const auto window = showTree(writeClaimFile(QStringLiteral("long.nsf"), lines));
    QVERIFY(window);
    QTreeView* view = treeView(*window);
    QScrollBar* bar = view->verticalScrollBar();
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    const qm::FileTree& tree = window->tree();
    const qint64 lastNode = tree.size() - 1;
    QCOMPARE(tree.size(), qint64(1 + 4 * 31 + 1));

    // A tree taller than its window opens at the top, its file header in
    // sight; a batch never seen is not laid out yet.
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(rowsInView(*view).constFirst(), qint64(0));
    QVERIFY(!view->isExpanded(model->nodeIndex(tree.parent(lastNode - 1))));

    // Page by page, the rows are those of a wholly open tree: every node in
    // file order, each with children open, and the end stays at the end.
    // The column holds every text in view whole and never narrows.
    if (fromTheEnd) {
        bar->setValue(bar->maximum());
        QCOMPARE(rowsInView(*view).constLast(), lastNode);
    }
    std::vector<bool> seen(std::size_t(tree.size()), false);
    int width = 0;
    for (;;) {
        const QList<qint64> rows = rowsInView(*view);
        QVERIFY(!rows.isEmpty());
        QVERIFY(view->columnWidth(0) >= width);
        width = view->columnWidth(0);
        QVERIFY(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(0) <= width);
        for (int i = 0; i < rows.size(); ++i) {
            const qint64 node = rows.at(i);
            if (i > 0)
                QCOMPARE(node, rows.at(i - 1) + 1);
            QVERIFY2(tree.childCount(node) == 0 || view->isExpanded(model->nodeIndex(node)),
                     tree.key(node).c_str());
            seen[std::size_t(node)] = true;
        }
        if (bar->value() == (fromTheEnd ? 0 : bar->maximum()))
            break;
        bar->setValue(bar->value() + (fromTheEnd ? -bar->pageStep() : bar->pageStep()));
    }
    QVERIFY(std::all_of(seen.begin(), seen.end(), [](bool shown) { return shown; }));
}

void FileTreeWindowTest::aBatchTheUserClosedStaysClosed() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    QCOMPARE(rowsInView(*view), (QList<qint64>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    view->collapse(model->nodeIndex(1));
    QCOMPARE(rowsInView(*view), (QList<qint64>{0, 1, 5, 6, 7, 8}));
    view->expand(model->nodeIndex(1));
    view->collapse(model->nodeIndex(5));
    QCOMPARE(rowsInView(*view), (QList<qint64>{0, 1, 2, 3, 4, 5}));
}

void FileTreeWindowTest::fileWithoutRecordsGivesAnEmptyTree() {
    // Lines one short of a record are no records, whatever their type.
    QByteArray shortLine = aa0("SUBMITTER");
    shortLine.chop(1);
    for (const QList<QByteArray>& lines : {QList<QByteArray>{}, QList<QByteArray>{shortLine}}) {
        const auto window = showTree(writeClaimFile(QStringLiteral("empty.nsf"), lines));
        QVERIFY(window);
        QCOMPARE(treeView(*window)->model()->rowCount(), 0);
        QCOMPARE(panelText(*window, 1), QStringLiteral("BA0 Count: 0"));
        QCOMPARE(panelText(*window, 2), QStringLiteral("CA0 Count: 0"));
    }
}

void FileTreeWindowTest::loadingResetsFindIndexAndNamesTheFile() {
    const QString path = samplePath("sample200.nsf");
    QVERIFY(openClaimFile(path));
    findState().FindIndex = 7;
    const auto window = showTree(path);
    QVERIFY(window);
    QCOMPARE(findIndex(), qint64(0));
    QCOMPARE(window->objectName(), QStringLiteral("frmNSFTree"));
    QCOMPARE(window->windowTitle(),
             QStringLiteral("NSF File Tree (") + QDir::toNativeSeparators(path) + QLatin1Char(')'));
    // The file is only read: it stays open for the claim clicks.
    QVERIFY(window->file()->reader().isOpen());
}

// --- Layout ---

void FileTreeWindowTest::toolbarHasFindThenPropertiesAsIcons() {
    const auto window = showTree(samplePath("sample200.nsf"));
    QVERIFY(window);
    auto* toolbar = window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    QVERIFY(toolbar);
    const QList<QAction*> buttons = toolbar->actions();
    // Then, apart, the filter of the whole-file check.
    QCOMPARE(buttons.size(), 4);
    QVERIFY(buttons.at(2)->isSeparator());
    QCOMPARE(buttons.at(3)->objectName(), QStringLiteral("cmdProblemsOnly"));
    const QStringList keys{QStringLiteral("Find"), QStringLiteral("Properties")};
    for (int i = 0; i < 2; ++i) {
        QAction* button = buttons.at(i);
        QCOMPARE(button->objectName(), keys.at(i));
        QCOMPARE(button->toolTip(), keys.at(i));
        QVERIFY(!button->icon().isNull());
        QVERIFY(!button->icon().pixmap(16, 16).isNull());
        auto* widget = qobject_cast<QToolButton*>(toolbar->widgetForAction(button));
        QVERIFY(widget);
        QCOMPARE(widget->toolButtonStyle(), Qt::ToolButtonIconOnly);
        // 487 by 466 twips.
        QCOMPARE(widget->size(), QSize(32, 31));
    }
    QCOMPARE(toolbar->iconSize(), QSize(16, 16));
}

void FileTreeWindowTest::treeTellsWhatAClickDoes() {
    // Opened with its map, so that the check finds the first claim sound.
    session_ = GuiTest::openDocument(samplePath("sample301.nsf"), {MAPS_DIR});
    QVERIFY(session_ && session_->buildTree());
    frmNSFTree window(*session_);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.problemMarks()->state() == ProblemMarks::State::Finished);
    QTreeView* view = treeView(window);
    // Over a node, not only over the empty part of the tree.
    const QModelIndex claim =
        view->model()->index(0, 0, view->model()->index(0, 0, view->model()->index(0, 0)));
    QCOMPARE(claim.data().toString(), QStringLiteral("CA0: O'DONNELL, WILMA (OW000000001)"));
    const QPoint overNode = view->visualRect(claim).center();
    QHelpEvent help(QEvent::ToolTip, overNode, view->viewport()->mapToGlobal(overNode));
    QApplication::sendEvent(view->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Click item to view the entire claim"));
}

void FileTreeWindowTest::treeFillsThePaneUnderTheToolbarLessItsMargins() {
    const auto window = showTree(samplePath("sample301.nsf"));
    QVERIFY(window);
    window->resize(500, 420);
    QTRY_COMPARE(window->size(), QSize(500, 420));
    auto* toolbar = window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    auto* picture = window->findChild<QWidget*>(QStringLiteral("Picture1"));
    auto* status = window->findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    QVERIFY(toolbar && picture && status);
    QTreeView* view = treeView(*window);
    QCOMPARE(view->parentWidget(), picture);

    QCOMPARE(toolbar->geometry().top(), 0);
    // The display filter's bar lies between the toolbar and the pane.
    auto* filter = window->findChild<QWidget*>(QStringLiteral("cboDisplayFilter"));
    QVERIFY(filter);
    QCOMPARE(filter->geometry().top(), toolbar->geometry().bottom() + 1);
    QCOMPARE(picture->geometry().top(), filter->geometry().bottom() + 1);
    QCOMPARE(picture->geometry().left(), 0);
    QCOMPARE(picture->width(), window->width());
    QCOMPARE(status->geometry().bottom(), window->height() - 1);
    QCOMPARE(picture->geometry().bottom() + 1, status->geometry().top());
    // 25 twips narrower and 110 twips shorter, from the pane's top-left corner.
    QCOMPARE(view->geometry(), QRect(0, 0, picture->width() - 2, picture->height() - 7));

    window->resize(640, 560);
    QTRY_COMPARE(window->size(), QSize(640, 560));
    QCOMPARE(view->geometry(), QRect(0, 0, picture->width() - 2, picture->height() - 7));
}

void FileTreeWindowTest::windowNeverGetsSmallerThanItsMinimum() {
    const auto window = showTree(samplePath("sample200.nsf"));
    QVERIFY(window);
    // 5000 twips.
    window->resize(100, 100);
    QTRY_COMPARE(window->size(), QSize(333, 333));
    window->resize(100, 600);
    QTRY_COMPARE(window->size(), QSize(333, 600));
}

void FileTreeWindowTest::longTextsScrollSidewaysUncut() {
    const QByteArray last = "WOLFSCHLEGELSTEINHAU";
    const auto window = showTree(writeClaimFile(
        QStringLiteral("wide.nsf"),
        {aa0("SUBMITTER"), ba0("1", "GROUP"), ca0("WWWWWWWWWWWWWWWWW", last, "MAXIMILLIANO")}));
    QVERIFY(window);
    window->resize(333, 333);
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    const QModelIndex claim = model->nodeIndex(2);
    QVERIFY(claim.data().toString().contains(QLatin1String(last)));
    const int textWidth = view->fontMetrics().horizontalAdvance(claim.data().toString());
    QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 0);
    QVERIFY2(
        view->visualRect(claim).width() >= textWidth,
        qPrintable(QStringLiteral("%1 < %2").arg(view->visualRect(claim).width()).arg(textWidth)));
}

// --- Record properties ---

void FileTreeWindowTest::propertiesTellTypeAndPosition_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("file header") << QStringLiteral("AA01")
                                 << QStringLiteral("Record Type: AA0\n"
                                                   "Absolute Record Position (bytes): 1");
    QTest::newRow("batch") << QStringLiteral("BA011915")
                           << QStringLiteral("Record Type: BA0\n"
                                             "Absolute Record Position (bytes): 11915");
    QTest::newRow("claim") << QStringLiteral("CA0967")
                           << QStringLiteral("Record Type: CA0\n"
                                             "Absolute Record Position (bytes): 967");
}

void FileTreeWindowTest::propertiesTellTypeAndPosition() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    const auto window = showTree(samplePath("sample301.nsf"));
    QVERIFY(window);
    QTreeView* view = treeView(*window);
    const auto node = window->tree().findKey(key.toStdString());
    QVERIFY(node);
    const QModelIndex index = static_cast<const FileTreeModel*>(view->model())->nodeIndex(*node);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QCOMPARE(window->selectedNode(), *node);

    QVERIFY(GuiTest::triggerAction(window.get(), QStringLiteral("Properties")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& box = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, QStringLiteral("Record Information"));
    QCOMPARE(box.icon, qm::MessageIcon::Information);
    QCOMPARE(box.buttons, qm::MessageButtons::Ok);
}

void FileTreeWindowTest::propertiesWithoutSelectionShowNothing() {
    const auto window = showTree(samplePath("sample301.nsf"));
    QVERIFY(window);
    QCOMPARE(window->selectedNode(), qint64(-1));
    QVERIFY(GuiTest::triggerAction(window.get(), QStringLiteral("Properties")));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

// --- Find ---

void FileTreeWindowTest::nineNodesFindTwoThenFiveThenAskAndWrapToTwo() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QCOMPARE(window->tree().size(), qint64(9));

    QVERIFY(pressFind(*window, QStringLiteral("Needle")));
    QCOMPARE(selectedIndex(*window), qint64(2));
    QCOMPARE(findIndex(), qint64(2));
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(selectedIndex(*window), qint64(5));
    QCOMPARE(findIndex(), qint64(5));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // 6 to 9 hold nothing: asked, Retry searches from the top again.
    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Retry);
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& ask = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(ask.text, QStringLiteral("'Needle' was not found. Start from the begining?"));
    QCOMPARE(ask.title, kFindTitle);
    QCOMPARE(ask.icon, qm::MessageIcon::None);
    QCOMPARE(ask.buttons, qm::MessageButtons::RetryCancel);
    QCOMPARE(selectedIndex(*window), qint64(2));
    QCOMPARE(findIndex(), qint64(2));
    QCOMPARE(findState().SearchText, QStringLiteral("Needle"));
}

void FileTreeWindowTest::findGoesPastSlicesBothWaysAndStopsOnCancel() {
    // The search runs on a worker a slice of nodes at a time: a tree of more
    // than one slice, "NEEDLE" only at nodes 13 and 70,003.
    QList<QByteArray> lines{aa0("SUBMITTER"), ba0("111111111", "GROUP")};
    for (int claim = 1; claim <= 70001; ++claim)
        lines.append(ca0("PCN", claim == 11 || claim == 70001 ? "NEEDLE" : "ALPHA", "ANN"));
    const auto window = showTree(writeClaimFile(QStringLiteral("slices.nsf"), lines));
    QVERIFY(window);
    QCOMPARE(window->tree().size(), qint64(70003));
    QVERIFY(pressFind(*window, QStringLiteral("needle")));
    QCOMPARE(selectedIndex(*window), qint64(13));
    QVERIFY(GuiTest::triggerAction(window.get(), QStringLiteral("cmdFindAgain")));
    QCOMPARE(selectedIndex(*window), qint64(70003));
    QVERIFY(GuiTest::triggerAction(window.get(), QStringLiteral("cmdFindPrevious")));
    QCOMPARE(selectedIndex(*window), qint64(13));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // It says how far it came, and a cancel stops it with nothing found.
    const NodeTextSearch search(QStringLiteral("needle"));
    qm::ProgressControl control;
    QCOMPARE(search.findFirst(window->tree(), 14, 70003, &control), qint64(70003));
    QCOMPARE(control.bytesTotal.load(), qint64(70003 - 14 + 1));
    QVERIFY(control.bytesDone.load() >= 65536);
    control.cancel = true;
    QCOMPARE(search.findLast(window->tree(), 1, 70003, &control), qint64(0));
}

void FileTreeWindowTest::cancellingTheFirstFindStillMovesFindIndexToOne() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    findState().SearchText = QStringLiteral("needle");

    QVERIFY(pressFind(*window, QString(), Leave::Cancel));
    QCOMPARE(findIndex(), qint64(1));
    QVERIFY(findState().SearchText.isEmpty());
    QCOMPARE(selectedIndex(*window), qint64(0));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // The next search starts at 2, so the file header is out of its reach
    // and the end comes with the question.
    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Cancel);
    QVERIFY(pressFind(*window, QStringLiteral("submitter")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().at(0).buttons, qm::MessageButtons::RetryCancel);
    QCOMPARE(GuiTest::dialogs().shown().at(1).text, QStringLiteral("'submitter' was not found."));
    QCOMPARE(selectedIndex(*window), qint64(0));
    QCOMPARE(findIndex(), qint64(1));
}

void FileTreeWindowTest::retryWithoutHitSetsFindIndexToOneAndSaysNotFound() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("needle")));
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(findIndex(), qint64(5));

    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Retry);
    QVERIFY(pressFind(*window, QStringLiteral("nowhere")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().at(0).text,
             QStringLiteral("'nowhere' was not found. Start from the begining?"));
    const MessageBoxes::Record& told = GuiTest::dialogs().shown().at(1);
    QCOMPARE(told.text, QStringLiteral("'nowhere' was not found."));
    QCOMPARE(told.title, kFindTitle);
    QCOMPARE(told.icon, qm::MessageIcon::Information);
    QCOMPARE(told.buttons, qm::MessageButtons::Ok);
    QCOMPARE(findIndex(), qint64(1));
    // The last hit stays selected: a search without hit changes nothing else.
    QCOMPARE(selectedIndex(*window), qint64(5));
}

void FileTreeWindowTest::cancelAtThePromptSaysNotFoundAndKeepsFindIndex() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("needle")));
    QVERIFY(pressFind(*window, QString()));

    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Cancel);
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().at(0).buttons, qm::MessageButtons::RetryCancel);
    QCOMPARE(GuiTest::dialogs().shown().at(1).text, QStringLiteral("'needle' was not found."));
    QCOMPARE(GuiTest::dialogs().shown().at(1).icon, qm::MessageIcon::Information);
    QCOMPARE(findIndex(), qint64(5));
    QCOMPARE(selectedIndex(*window), qint64(5));
}

void FileTreeWindowTest::afterAHitOnTheLastNodeFindWrapsWithoutAsking() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("zulu")));
    QCOMPARE(findIndex(), qint64(9));

    // From the top again, silently, and the last node is found again.
    QVERIFY(pressFind(*window, QString()));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    QCOMPARE(findIndex(), qint64(9));
    QCOMPARE(selectedIndex(*window), qint64(9));

    // From the top, a text found nowhere gets the plain answer, no question.
    QVERIFY(pressFind(*window, QStringLiteral("nowhere")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("'nowhere' was not found."));
    QCOMPARE(GuiTest::dialogs().shown().constFirst().buttons, qm::MessageButtons::Ok);
    QCOMPARE(findIndex(), qint64(9));
}

void FileTreeWindowTest::firstFindWithoutHitNeverAsks() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("nowhere")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& told = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(told.text, QStringLiteral("'nowhere' was not found."));
    QCOMPARE(told.title, kFindTitle);
    QCOMPARE(told.icon, qm::MessageIcon::Information);
    QCOMPARE(findIndex(), qint64(1));
}

void FileTreeWindowTest::matchIgnoresCase_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("found");
    const QList<QByteArray> nine = nineNodeLines();
    QTest::newRow("lower-case record type") << nine << QStringLiteral("ca0") << qint64(3);
    QTest::newRow("mixed case inside a text") << nine << QStringLiteral("rIvErSiDe") << qint64(6);
    QTest::newRow("across the separator")
        << nine << QStringLiteral("bravo, ben (pcn2)") << qint64(4);
    // The first Z of the text starts no match; the second ends with the text.
    QTest::newRow("a later start, to the end") << nine << QStringLiteral("zed (pcn6)") << qint64(9);
    // Bytes above 127 are file text too (Latin-1): É and é are one letter.
    QTest::newRow("accented") << QList<QByteArray>{aa0("SUBMITTER"), ba0("1", "GROUP"),
                                                   ca0("P", "\xC9LISE", "LOU"),
                                                   ca0("P", "\xE9LISE", "ZO")}
                              << QStringLiteral("élise, zo") << qint64(4);
}

void FileTreeWindowTest::matchIgnoresCase() {
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QString, typed);
    QFETCH(qint64, found);
    const auto window = showTree(writeClaimFile(QStringLiteral("case.nsf"), lines));
    QVERIFY(window);
    QVERIFY(pressFind(*window, typed));
    QCOMPARE(selectedIndex(*window), found);
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void FileTreeWindowTest::closeBoxSearchesThePreviousText() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("needle")));
    QCOMPARE(selectedIndex(*window), qint64(2));
    // Edited, then closed by the close box: the earlier text is searched.
    QVERIFY(pressFind(*window, QStringLiteral("zulu"), Leave::CloseBox));
    QCOMPARE(selectedIndex(*window), qint64(5));
    QCOMPARE(findState().SearchText, QStringLiteral("needle"));
}

void FileTreeWindowTest::emptySearchTextSearchesNothing() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("needle")));
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(findIndex(), qint64(5));

    QVERIFY(pressFind(*window, QStringLiteral(""), Leave::FindIt));
    QVERIFY(findState().SearchText.isEmpty());
    QCOMPARE(findIndex(), qint64(5));
    QCOMPARE(selectedIndex(*window), qint64(5));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // After a cancel the dialog opens empty, and nothing is searched either.
    QVERIFY(pressFind(*window, QStringLiteral("needle"), Leave::Cancel));
    QString boxText = QStringLiteral("<not opened>");
    QTimer::singleShot(0, window.get(), [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            boxText = dialog->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->text();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdSearch")),
                              Qt::LeftButton);
        }
    });
    QVERIFY(GuiTest::triggerAction(window.get(), QStringLiteral("Find")));
    QCOMPARE(boxText, QString());
    QCOMPARE(findIndex(), qint64(5));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void FileTreeWindowTest::emptyTreeSaysNotFound() {
    const auto window = showTree(writeClaimFile(QStringLiteral("empty.nsf"), {}));
    QVERIFY(window);
    QVERIFY(pressFind(*window, QStringLiteral("anything")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("'anything' was not found."));
    // And again, from the top without asking.
    QVERIFY(pressFind(*window, QString()));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().at(1).buttons, qm::MessageButtons::Ok);
}

void FileTreeWindowTest::findOpensACollapsedBatch() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    const QModelIndex secondBatch = model->nodeIndex(5);
    view->collapse(secondBatch);
    view->scrollToTop();

    QVERIFY(pressFind(*window, QStringLiteral("zulu")));
    QCOMPARE(selectedIndex(*window), qint64(9));
    QVERIFY(view->isExpanded(secondBatch));
    QVERIFY(view->viewport()->rect().contains(view->visualRect(model->nodeIndex(8)).center()));
}

void FileTreeWindowTest::findWorksAfterTheFileWasClosed() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    window->file()->reader().close();
    QVERIFY(pressFind(*window, QStringLiteral("zulu")));
    QCOMPARE(selectedIndex(*window), qint64(9));
    QCOMPARE(window->tree().size(), qint64(9));
}

void FileTreeWindowTest::findReachesIndexesBeyondSixteenBits() {
    // 40,001 nodes: past the 32,767 of a 16-bit index.
    QList<QByteArray> lines{aa0("SUBMITTER"), ba0("1", "GROUP")};
    for (int claim = 0; claim < 39998; ++claim)
        lines.append(ca0("PCN", "PATIENT", "ANN"));
    lines.append(ca0("PCN", "LASTONE", "ANN"));
    const auto window = showTree(writeClaimFile(QStringLiteral("large.nsf"), lines));
    QVERIFY(window);
    QCOMPARE(window->tree().size(), qint64(40001));
    QCOMPARE(panelText(*window, 2), QStringLiteral("CA0 Count: 39999"));

    QVERIFY(pressFind(*window, QStringLiteral("lastone")));
    QCOMPARE(findIndex(), qint64(40001));
    QCOMPARE(selectedIndex(*window), qint64(40001));
    QVERIFY(pressFind(*window, QStringLiteral("patient")));
    QCOMPARE(findIndex(), qint64(3));
}

void FileTreeWindowTest::keysFindForwardAndBack() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);

    const QKeySequence f3(Qt::Key_F3), shiftF3(Qt::SHIFT | Qt::Key_F3), ctrlF(Qt::CTRL | Qt::Key_F);
    const QString askTop = QStringLiteral("'needle' was not found. Start from the begining?");
    const QString askEnd = QStringLiteral("'needle' was not found. Start from the end?");
    struct Step {
        QKeySequence keys;
        QString typed;   // what the find dialog gets; null when none may come up
        QString asked;   // the wrap question, answered Retry; empty when none
        qint64 selected; // 1-based
    };
    // Only nodes 2 and 5 hold "needle", node 9 "zulu".
    const Step steps[] = {
        {f3, QStringLiteral("needle"), QString(), 2}, // no search text yet: F3 asks
        {f3, QString(), QString(), 5},
        {f3, QString(), askTop, 2},
        {shiftF3, QString(), askEnd, 5},
        {shiftF3, QString(), QString(), 2},
        {ctrlF, QStringLiteral("zulu"), QString(), 9},
    };
    int number = 0;
    for (const Step& step : steps) {
        const QByteArray what = "step " + QByteArray::number(++number);
        // The keys work wherever the focus is in the window.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        treeView(*window)->setFocus();
        GuiTest::dialogs().forgetBoxes();
        GuiTest::dialogs().setBoxesUnshown(true);
        if (!step.asked.isEmpty())
            GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Retry);
        if (step.typed.isNull())
            QVERIFY2(pressWithoutDialog(*window, step.keys), what.constData());
        else
            QVERIFY2(pressFind(*window, step.typed, Leave::FindIt, step.keys), what.constData());
        QVERIFY2(selectedIndex(*window) == step.selected, what.constData());
        QCOMPARE(findIndex(), step.selected);
        QStringList shown;
        for (const MessageBoxes::Record& box : GuiTest::dialogs().shown())
            shown.append(box.text);
        QCOMPARE(shown, step.asked.isEmpty() ? QStringList() : QStringList{step.asked});
    }
}

void FileTreeWindowTest::foundNodeIsWhollyInView_data() {
    QTest::addColumn<bool>("fromTheEnd");
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<QString>("typed");
    QTest::newRow("above the view") << true << false << QStringLiteral("last3,");
    QTest::newRow("in a closed batch above") << true << true << QStringLiteral("last3,");
    QTest::newRow("in a closed batch below") << false << true << QStringLiteral("last57");
}

void FileTreeWindowTest::foundNodeIsWhollyInView() {
    QFETCH(bool, fromTheEnd);
    QFETCH(bool, collapsed);
    QFETCH(QString, typed);
    QList<QByteArray> lines{aa0("SUBMITTER"), ba0("1", "GROUP")};
    // The later claims have texts too wide for the window: when they come
    // into view, a sideways scroll bar takes room from the rows.
    for (int claim = 0; claim < 60; ++claim) {
        const QByteArray wide = claim < 30 ? QByteArray() : QByteArray("XXXXXXXXXXXXXX");
        lines.append(ca0("PCN" + wide, "LAST" + QByteArray::number(claim) + wide, "ANN" + wide));
    }
    const auto window = showTree(writeClaimFile(QStringLiteral("sixty.nsf"), lines));
    QVERIFY(window);
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    if (collapsed)
        view->collapse(model->nodeIndex(1));
    if (fromTheEnd)
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    else
        view->scrollToTop();

    QVERIFY(pressFind(*window, typed));
    // Opening a closed batch lays the view out again a moment later: the
    // column widens and a sideways scroll bar comes back. Look after that.
    QTest::qWait(50);
    const QModelIndex found = view->currentIndex();
    QVERIFY(found.isValid());
    QVERIFY(found.data().toString().startsWith(QStringLiteral("CA0: ") + typed.toUpper()));
    // Whole from top to bottom; sideways a long text may go on out of sight.
    const QRect place = view->visualRect(found);
    QVERIFY2(place.top() >= 0 && place.bottom() < view->viewport()->height(),
             qPrintable(QStringLiteral("row at %1..%2 in a viewport of %3")
                            .arg(place.top())
                            .arg(place.bottom())
                            .arg(view->viewport()->height())));
}

// --- Marks ---

void FileTreeWindowTest::rowsHaveTheirHeightAndRoomForAMarkFromTheStart() {
    // The check held before it reads anything, until the test lets it go.
    auto checking = std::make_shared<std::atomic<bool>>(false);
    auto seams = std::make_shared<WorkSeams>();
    seams->pause = [checking](WorkSeams::Job, const WorkSeams::Stopped& stopped) {
        while (!*checking && !stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    session_ =
        GuiTest::openDocument(QStringLiteral(SAMPLES_DIR "/sample301.nsf"), {MAPS_DIR}, seams);
    QVERIFY(session_ && session_->buildTree());
    // Shown before any check: no node has a mark yet.
    auto window = std::make_unique<frmNSFTree>(*session_);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());
    const qm::FileTree& tree = window->tree();
    // What a row takes beside its text: the same for every row, marked or not.
    auto besideText = [view](const QModelIndex& index) {
        QStyleOptionViewItem option;
        option.initFrom(view);
        const int icon = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        option.decorationSize = QSize(icon, icon);
        return view->itemDelegate()->sizeHint(option, index).width() -
               view->fontMetrics().horizontalAdvance(index.data().toString());
    };
    const QModelIndex claim = model->nodeIndex(*tree.findKey("CA04831"));
    const QModelIndex otherClaim = model->nodeIndex(*tree.findKey("CA0967"));
    const int height = view->visualRect(claim).height();
    const int room = besideText(claim);

    *checking = true;
    QVERIFY(QTest::qWaitFor(
        [&] { return window->problemMarks()->state() == ProblemMarks::State::Finished; }));
    QVERIFY(!claim.data(Qt::DecorationRole).isNull());
    QVERIFY(otherClaim.data(Qt::DecorationRole).isNull());
    for (qint64 node = 0; node < tree.size(); ++node) {
        const QModelIndex index = model->nodeIndex(node);
        QCOMPARE(view->visualRect(index).height(), height);
        // (A pixel either way is the text's width rounded.)
        QVERIFY2(qAbs(besideText(index) - room) <= 1, tree.key(node).c_str());
    }
}

void FileTreeWindowTest::marksAreTheProgramsOwnDrawings() {
    // A spot of each mark's ground, away from its sign: the colour says the kind.
    struct Expected {
        ProblemKind kind;
        QPoint at;
        std::function<bool(const QColor&)> colour;
    };
    const Expected marks[] = {
        {ProblemKind::TotalsDoNotCompute,
         {3, 8},
         [](const QColor& c) {
             return c.red() > 180 && c.green() < 90 && c.blue() < 90;
         }},
        {ProblemKind::Unreadable,
         {2, 8},
         [](const QColor& c) {
             return qAbs(c.red() - c.green()) < 10 && qAbs(c.green() - c.blue()) < 10 &&
                    c.red() > 80 && c.red() < 180;
         }},
        {ProblemKind::InvalidValue,
         {5, 13},
         [](const QColor& c) {
             return c.red() > 200 && c.green() > 150 && c.blue() < 100;
         }},
        {ProblemKind::CouldNotCheck,
         {3, 8},
         [](const QColor& c) {
             return c.red() > 90 && c.blue() > 150 && c.green() < 120;
         }},
        {ProblemKind::NoXa0,
         {3, 8},
         [](const QColor& c) {
             return c.blue() > 180 && c.red() < 80;
         }},
    };
    for (const Expected& mark : marks) {
        const QIcon icon = ProblemIcons::icon(mark.kind);
        QVERIFY(!icon.isNull());
        for (const int size : {16, 24, 32}) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            const QColor colour = image.pixelColor(mark.at * size / 16);
            QVERIFY2(mark.colour(colour), qPrintable(QStringLiteral("kind %1 at %2: %3")
                                                         .arg(int(mark.kind))
                                                         .arg(size)
                                                         .arg(colour.name())));
        }
    }
}

// --- Node clicks ---

void FileTreeWindowTest::clickAndEnterActivateButFindDoesNot() {
    const auto window = showTree(writeClaimFile(QStringLiteral("nine.nsf"), nineNodeLines()));
    QVERIFY(window);
    QSignalSpy activated(window.get(), &frmNSFTree::nodeActivated);
    QTreeView* view = treeView(*window);
    const auto* model = static_cast<const FileTreeModel*>(view->model());

    QVERIFY(pressFind(*window, QStringLiteral("zulu")));
    QCOMPARE(selectedIndex(*window), qint64(9));
    QCOMPARE(activated.count(), 0);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(model->nodeIndex(2)).center());
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.takeFirst().at(0).toLongLong(), qint64(2));

    // Enter acts on the current node.
    view->setCurrentIndex(model->nodeIndex(4));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.takeFirst().at(0).toLongLong(), qint64(4));
    QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.takeFirst().at(0).toLongLong(), qint64(4));

    // Moving with the arrow keys is no click.
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(activated.count(), 0);
}

// --- In the main window ---

void FileTreeWindowTest::viewClaimsShowsOneTreeUntilItIsClosed() {
    // A screen with room for a first start's windows at their first-run
    // places (a smaller one shares its room out among them).
    WindowPositions::setScreenAreas(qApp, {QRect(0, 0, 2560, 1440)});
    const QString path = samplePath("sample301.nsf");
    const std::unique_ptr<frmMain> main = startWith(path);
    QVERIFY(main);

    // Opening the file showed its tree at once.
    DocumentWindow* document = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(document);
    auto* window = qobject_cast<frmNSFTree*>(document->widget());
    QVERIFY(window);
    QCOMPARE(document->windowTitle(),
             QStringLiteral("NSF File Tree (") + QDir::toNativeSeparators(path) + QLatin1Char(')'));
    QCOMPARE(window->tree().ClaimCount, qint64(6));
    // First run: 1000, 1000, 6500, 6500 twips.
    QCOMPARE(document->geometry(), QRect(67, 67, 433, 433));
    // The frame, not only its content, keeps the minimum.
    document->resize(100, 100);
    QCOMPARE(document->size(), QSize(333, 333));
    document->resize(433, 433);

    // Shown again: the same window, not rebuilt.
    findState().FindIndex = 3;
    QVERIFY(GuiTest::triggerAction(main.get(), QStringLiteral("mnuClaimForm")));
    QCOMPARE(main->documents()->findDocument(QStringLiteral("frmNSFTree")), document);
    QCOMPARE(findState().FindIndex, qint64(3));

    // Closing leaves the file open; the next View Claims builds anew.
    document->move(90, 45);
    QPointer<DocumentWindow> closed(document);
    document->close();
    QTRY_VERIFY(!closed);
    QVERIFY(context_->document());
    {
        QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("Settings/frmNSFTreeLeft")).toString(),
                 QStringLiteral("1350"));
    }
    QVERIFY(GuiTest::triggerAction(main.get(), QStringLiteral("mnuClaimForm")));
    document = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(document);
    QCOMPARE(document->pos(), QPoint(90, 45));
    QCOMPARE(findState().FindIndex, qint64(0));
    window = qobject_cast<frmNSFTree*>(document->widget());
    QVERIFY(window);

    // File > Close closes it with the file, saving its place.
    QPointer<DocumentWindow> open(document);
    document->move(30, 15);
    QVERIFY(GuiTest::triggerAction(main.get(), QStringLiteral("mnuFileClose")));
    QTRY_VERIFY(!open);
    QVERIFY(!main->documents()->findDocument(QStringLiteral("frmNSFTree")));
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Settings/frmNSFTreeLeft")).toString(),
             QStringLiteral("450"));
}

void FileTreeWindowTest::slowBuildShowsItsProgressAndCanBeCancelled() {
    const std::unique_ptr<frmMain> main = startWith(samplePath("sample301.nsf"));
    QVERIFY(main);
    auto treeWindow = [&] {
        return main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    };
    // Opening the file showed its tree at once: close it, to build anew.
    QPointer<DocumentWindow> shown(treeWindow());
    QVERIFY(shown);
    shown->close();
    QTRY_VERIFY(!shown);
    enum class End { Finish, CancelButton, Escape, OutOfMemory };

    // A build that reads 40 % of the file, then waits for the test to let it
    // go on or for a cancel; or one that runs out of memory at once.
    End end = End::Finish;
    std::atomic<bool> release{false};
    context_->seams().buildTree = [&](qm::SequentialFile& file,
                                      qm::ProgressControl& control) -> std::optional<qm::FileTree> {
        if (end == End::OutOfMemory)
            throw std::bad_alloc();
        control.bytesTotal = 1000;
        control.bytesDone = 400;
        while (!release && !control.cancel)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return qm::BuildTree(file, control);
    };

    // View Claims, ended as asked; the progress shown, or -1 without a dialog.
    auto viewClaims = [&](End how) {
        end = how;
        release = false;
        int progress = -1;
        int attempts = 0;
        std::function<void()> drive = [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (++attempts < 200)
                    QTimer::singleShot(10, main.get(), drive);
                return;
            }
            progress =
                dialog->objectName() == QLatin1String("frmTreeProgress") ? dialog->value() : -2;
            if (how == End::CancelButton)
                QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
            else if (how == End::Escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                release = true;
        };
        if (how != End::OutOfMemory)
            QTimer::singleShot(0, main.get(), drive);
        if (!GuiTest::triggerAction(main.get(), QStringLiteral("mnuClaimForm")))
            return -3;
        return progress;
    };

    for (End how : {End::CancelButton, End::Escape}) {
        QCOMPARE(viewClaims(how), 400);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!treeWindow());
        QVERIFY(context_->document());
    }
    QCOMPARE(viewClaims(End::OutOfMemory), -1);
    QVERIFY(!treeWindow());
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().icon, qm::MessageIcon::Critical);

    QCOMPARE(viewClaims(End::Finish), 400);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(treeWindow());
    const auto* window = qobject_cast<frmNSFTree*>(treeWindow()->widget());
    QVERIFY(window);
    QCOMPARE(window->tree().ClaimCount, qint64(6));
}

QTEST_MAIN(FileTreeWindowTest)
#include "FileTreeWindowTest.moc"

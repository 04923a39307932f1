// The open file as one document that every window views: a problem row or a
// search result opened after the tree window was closed opens the tree over
// the document's tree, nothing built or checked again; closing a view stops
// none of the document's work; closing the document while its tree build,
// its check, a search and a comparison all run stops and waits for every one
// of them, and leaves no window.
#include "GuiTest.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

const QString kSample = QStringLiteral(SAMPLES_DIR "/sample301.nsf");
const QString kChanged = QStringLiteral(SAMPLES_DIR "/sample301-changed.nsf");

// What the seams saw: trees built and checks begun, and how many held jobs
// were let go.
struct Seen {
    std::atomic<int> builds{0};
    std::atomic<int> checks{0};
    std::atomic<bool> holdBuild{false};
    std::atomic<bool> holdCheck{false};
    std::atomic<bool> holdResults{false};
    // A held job goes on only once cancelled while the file closes: until
    // then it runs, cancelled or not.
    std::atomic<bool> closing{false};
    std::atomic<int> released{0};
};

void holdWhile(const std::atomic<bool>& hold, const WorkSeams::Stopped& stopped, Seen& seen) {
    if (!hold)
        return;
    while (!(seen.closing && stopped()))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++seen.released;
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { GuiTest::initTestCase(); }
    void init();
    void cleanup();

    void rowsOpenOverTheTreeWithoutBuildingOrCheckingAgain();
    void closingTheTreeWindowLeavesTheCheckRunning();
    void closingWhileEverythingRunsStopsAndJoinsAll();

private:
    bool start();
    QWidget* view(const QString& name) const;
    bool search(const QString& text);
    // Double-clicks the row of a results window's grid.
    void doubleClick(ResultsTableView* grid, int row);
    bool closeTreeWindow();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
    std::shared_ptr<Seen> seen_;
};

void DocumentTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    seen_ = std::make_shared<Seen>();
    WorkSeams& seams = context_->seams();
    seams.buildTree = [seen = seen_](qm::SequentialFile& file, qm::ProgressControl& control) {
        ++seen->builds;
        holdWhile(
            seen->holdBuild, [&control] { return control.cancel.load(); }, *seen);
        return std::optional<qm::FileTree>(qm::BuildTree(file, control));
    };
    seams.pause = [seen = seen_](WorkSeams::Job job, const WorkSeams::Stopped& stopped) {
        if (job == WorkSeams::Job::Check)
            ++seen->checks;
        else
            holdWhile(seen->holdResults, stopped, *seen);
    };
    seams.eachClaim = [seen = seen_](const WorkSeams::Stopped& stopped) {
        holdWhile(seen->holdCheck, stopped, *seen);
    };
}

void DocumentTest::cleanup() {
    seen_->closing = true; // whatever a failed test held goes on
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

bool DocumentTest::start() {
    main_ = Startup::run(*context_, {kSample}, QStringLiteral(MAPS_DIR));
    if (!main_)
        return false;
    main_->resize(1300, 900);
    return view(QStringLiteral("frmNSFTree")) != nullptr;
}

QWidget* DocumentTest::view(const QString& name) const {
    DocumentWindow* document = main_->documents()->findDocument(name);
    return document && !document->isHidden() ? document->widget() : nullptr;
}

bool DocumentTest::search(const QString& text) {
    if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")))
        return false;
    auto* panel = main_->findChild<frmSearchFields*>();
    panel->findChild<QLineEdit*>(QStringLiteral("txtSearchFor"))->setText(text);
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("cmdSearch")), Qt::LeftButton);
    return view(QStringLiteral("frmSearchResults")) != nullptr;
}

void DocumentTest::doubleClick(ResultsTableView* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

bool DocumentTest::closeTreeWindow() {
    main_->documents()->findDocument(QStringLiteral("frmNSFTree"))->close();
    return QTest::qWaitFor([this] { return !view(QStringLiteral("frmNSFTree")); });
}

void DocumentTest::rowsOpenOverTheTreeWithoutBuildingOrCheckingAgain() {
    QVERIFY(start());
    ClaimDocument* document = context_->document();
    QTRY_COMPARE(document->check().state(), ProblemMarks::State::Finished);
    QVERIFY(search(QStringLiteral("pond")));
    QTRY_VERIFY(main_->findChild<frmSearchFields*>()
                    ->findChild<QPushButton*>(QStringLiteral("cmdSearch"))
                    ->isEnabled());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    auto* problems = qobject_cast<frmProblems*>(view(QStringLiteral("frmProblems")));
    QVERIFY(problems && problems->table()->model()->rowCount() > 0);
    QCOMPARE(seen_->builds.load(), 1);
    QCOMPARE(seen_->checks.load(), 1);

    // A problem row, then a search result, each with the tree window closed.
    QVERIFY(closeTreeWindow());
    doubleClick(problems->table(), 0);
    QVERIFY(view(QStringLiteral("frmNSFTree")));
    QVERIFY(view(QStringLiteral("frmClaimForm")));
    QVERIFY(closeTreeWindow());
    auto* results = qobject_cast<frmSearchResults*>(view(QStringLiteral("frmSearchResults")));
    QVERIFY(results);
    doubleClick(results->table(), 1);
    QVERIFY(view(QStringLiteral("frmNSFTree")));
    QCOMPARE(qobject_cast<frmClaimForm*>(view(QStringLiteral("frmClaimForm")))->claimKey(),
             std::string("CA0967"));
    QTest::qWait(50);
    QCOMPARE(seen_->builds.load(), 1);
    QCOMPARE(seen_->checks.load(), 1);
    QCOMPARE(document->check().state(), ProblemMarks::State::Finished);
}

void DocumentTest::closingTheTreeWindowLeavesTheCheckRunning() {
    seen_->holdCheck = true;
    QVERIFY(start());
    ProblemCheck& check = context_->document()->check();
    QTRY_VERIFY(check.isRunning());
    QVERIFY(closeTreeWindow());
    QTest::qWait(50);
    QVERIFY(check.isRunning());
    seen_->holdCheck = false;
    seen_->closing = true;
    check.cancelCheck();
    QCOMPARE(check.state(), ProblemMarks::State::Cancelled);
    check.startCheck();
    QTRY_COMPARE(check.state(), ProblemMarks::State::Finished);
}

void DocumentTest::closingWhileEverythingRunsStopsAndJoinsAll() {
    seen_->holdCheck = true;
    QVERIFY(start());
    const QPointer<ClaimDocument> document = context_->document();
    QTRY_VERIFY(document->check().isRunning());
    seen_->holdResults = true;
    QVERIFY(search(QStringLiteral("pond")));
    GuiTest::dialogs().setNextFileName(kChanged);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileCompare")));
    QVERIFY(view(QStringLiteral("frmCompare")));
    // The tree window closed and View Claims again: a tree built anew (the
    // old tree's check, cancelled, still on its claim), during which the
    // file closes.
    QVERIFY(closeTreeWindow());
    seen_->holdBuild = true;
    QTimer::singleShot(100, main_.get(), [this] {
        QCOMPARE(seen_->released.load(), 0);
        seen_->closing = true;
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    });
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    // Every job saw its cancel and its worker was joined before the close
    // returned: none is left, and every one was let go.
    QCOMPARE(BackgroundWorkBase::workersAlive(), 0);
    QCOMPARE(seen_->released.load(), 4);
    QCOMPARE(seen_->builds.load(), 2);
    QVERIFY(!context_->document());
    QTRY_VERIFY(!document);
    QTRY_VERIFY(main_->documents()->subWindowList().isEmpty());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

QTEST_MAIN(DocumentTest)
#include "DocumentTest.moc"

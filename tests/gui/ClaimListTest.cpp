// The claim filter in the viewer: the tree's display filter bar (valid and
// invalid expressions, the claims it shows against `quillmark-cli list
// --filter`, with "Only claims with problems", the status count) and the
// Claim List window (Ctrl+L, its rows and count against the command line,
// its own filter, sorting money as numbers, the CSV export, opening a claim),
// and the whole-file check's one reading feeding the filter.
#include "GeneratedFiles.h"
#include "GuiTest.h"
#include "core/filetree/FileTree.h"
#include "gui/claimlist/ClaimListModel.h"
#include "gui/claimlist/frmClaimList.h"
#include "gui/common/FileDialog.h"
#include "gui/common/FilterBar.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ClaimFilterJob.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/TreeDisplayFilter.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSemaphore>
#include <QTest>
#include <QTreeView>
#include <atomic>

namespace {

constexpr int kTimeoutMs = 60000;

// What `quillmark-cli list` prints for a filter: the keys listed (JSON), or
// the CSV.
QByteArray runList(const QString& file, const QString& filter, const QString& format) {
    QStringList arguments{QStringLiteral("--maps"), QStringLiteral(MAPS_DIR), format,
                          QStringLiteral("list"), file};
    if (!filter.isEmpty())
        arguments << QStringLiteral("--filter") << filter;
    QProcess cli;
    cli.start(QStringLiteral(QUILLMARK_CLI), arguments);
    cli.waitForFinished(kTimeoutMs);
    return cli.readAllStandardOutput();
}

QStringList listedKeys(const QString& file, const QString& filter) {
    QStringList keys;
    const QJsonObject list =
        QJsonDocument::fromJson(runList(file, filter, QStringLiteral("--json"))).object();
    for (const QJsonValue& claim : list.value(u"claims").toArray())
        keys.append(claim[u"key"].toString());
    return keys;
}

} // namespace

class ClaimListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filterBarMarksWhatIsNoFilter_data();
    void filterBarMarksWhatIsNoFilter();
    void treeShowsTheClaimsTheCommandLineLists_data();
    void treeShowsTheClaimsTheCommandLineLists();
    void claimListHasTheCommandLinesRows();
    void filterReadsAlongWithTheCheck_data();
    void filterReadsAlongWithTheCheck();

private:
    bool start(const QString& path);
    frmNSFTree* tree() const {
        return GuiTest::view<frmNSFTree>(*main_, QStringLiteral("frmNSFTree"));
    }
    // The claims the tree shows, by key, in tree order.
    QStringList shownClaims() const;
    bool waitForTreeFilter() const;

    QTemporaryDir files_;
    QString generated_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void ClaimListTest::initTestCase() {
    GuiTest::initTestCase();
    QVERIFY(files_.isValid());
    // Claims of several batches and months, some with problems.
    generated_ = files_.filePath(QStringLiteral("claims.nsf"));
    QVERIFY(GeneratedFiles::write(
        QStringLiteral("--version 00301 --claims 240 --batches 5 --seed 11 --wrong-totals 7 "
                       "--wrong-totals 100 --no-xa0 50")
            .split(QLatin1Char(' ')),
        generated_));
}

void ClaimListTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
}

void ClaimListTest::cleanup() {
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

bool ClaimListTest::start(const QString& path) {
    main_ = Startup::run(*context_, {path}, QStringLiteral(MAPS_DIR));
    return main_ && tree();
}

QStringList ClaimListTest::shownClaims() const {
    QStringList keys;
    const QAbstractItemModel* model = tree()->findChild<QTreeView*>()->model();
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            const std::string key = tree()->tree().key(FileTreeModel::nodeOf(index));
            if (key.rfind("CA0", 0) == 0)
                keys.append(QString::fromStdString(key));
            walk(index);
        }
    };
    walk({});
    return keys;
}

bool ClaimListTest::waitForTreeFilter() const {
    auto* filter = tree()->findChild<TreeDisplayFilter*>();
    return filter && QTest::qWaitFor([filter] { return !filter->isRunning(); }, kTimeoutMs);
}

void ClaimListTest::filterBarMarksWhatIsNoFilter_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("error");
    QTest::newRow("valid") << QStringLiteral("XA0.12.0 > 500.00 && FA0.05.0 in 2003-03")
                           << QString();
    QTest::newRow("a value missing")
        << QStringLiteral("XA0.12.0 > 500.00 &&")
        << QStringLiteral("column 21: a field such as XA0.12.0, or a value, was expected");
    QTest::newRow("a parenthesis open")
        << QStringLiteral("(problem") << QStringLiteral("column 9: ) was expected");
}

void ClaimListTest::filterBarMarksWhatIsNoFilter() {
    QFETCH(QString, expression);
    QFETCH(QString, error);
    QVERIFY(start(QStringLiteral(SAMPLES_DIR "/sample301.nsf")));
    auto* bar = tree()->findChild<FilterBar*>(QStringLiteral("cboDisplayFilter"));
    QVERIFY(bar);
    // Under the toolbar.
    QVERIFY(bar->geometry().top() >=
            tree()->findChild<QWidget*>(QStringLiteral("Toolbar1"))->geometry().bottom());
    // Keys are sent to the combo box, where the keyboard's keys arrive.
    bar->setFocus();
    QTest::keyClicks(bar, expression);
    QCOMPARE(bar->error(), error);
    QCOMPARE(bar->toolTip() == error, !error.isEmpty());
    QVERIFY(bar->styleSheet().contains(error.isEmpty() ? QStringLiteral("#d8f5d0")
                                                       : QStringLiteral("#f8d0d0")));
    // Enter applies only a filter; Escape clears.
    QTest::keyClick(bar, Qt::Key_Return);
    QCOMPARE(bar->appliedFilter(), error.isEmpty() ? expression : QString());
    QCOMPARE(bar->count(), error.isEmpty() ? 1 : 0);
    // The history is kept for the next run.
    QCOMPARE(GuiTest::storedSettings(*dir_).contains(QStringLiteral("Filters/DisplayFilter=") +
                                                     expression),
             error.isEmpty());
    QTest::keyClick(bar, Qt::Key_Escape);
    QVERIFY(bar->currentText().isEmpty());
    QVERIFY(bar->appliedFilter().isEmpty());
    QVERIFY(bar->styleSheet().isEmpty());
    // What is typed is applied as typed, not completed from a longer filter
    // of the history.
    if (error.isEmpty()) {
        const QString start = expression.left(expression.indexOf(QStringLiteral(" &&")));
        QTest::keyClicks(bar, start);
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(bar->appliedFilter(), start);
    }
}

void ClaimListTest::treeShowsTheClaimsTheCommandLineLists_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("problemsOnly");
    QTest::newRow("money and a month")
        << QStringLiteral("XA0.12.0 > 200.00 && FA0.05.0 in 2003-03") << false;
    QTest::newRow("a batch") << QStringLiteral(
                                    "count(FA0) >= 3 || XA0.12.0 blank || BA0.02.0 contains \"7\"")
                             << false;
    QTest::newRow("problems") << QStringLiteral("problem") << false;
    QTest::newRow("with problems only") << QStringLiteral("count(FA0) >= 2") << true;
    QTest::newRow("none") << QStringLiteral("claim == \"CA01\"") << false;
}

void ClaimListTest::treeShowsTheClaimsTheCommandLineLists() {
    QFETCH(QString, expression);
    QFETCH(bool, problemsOnly);
    QVERIFY(start(generated_));
    ProblemCheck& check = main_->document()->check();
    QVERIFY(QTest::qWaitFor([&] { return check.state() == ProblemMarks::State::Finished; },
                            kTimeoutMs));
    const QStringList everyClaim = shownClaims();
    QCOMPARE(everyClaim.size(), 240);
    auto* bar = tree()->findChild<FilterBar*>(QStringLiteral("cboDisplayFilter"));
    if (problemsOnly)
        tree()->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"))->setChecked(true);
    QVERIFY(bar->apply(expression));
    QVERIFY(waitForTreeFilter());
    const QString chosen =
        problemsOnly ? QStringLiteral("problem && (") + expression + QLatin1Char(')') : expression;
    const QStringList expected = listedKeys(generated_, chosen);
    QCOMPARE(shownClaims(), expected);
    const auto* status = tree()->findChild<QLabel*>(QStringLiteral("lblShowing"));
    QCOMPARE(status->text(), QStringLiteral("Showing %1 of 240 claims").arg(expected.size()));
    // Problems only turned off shows the filter's claims alone; the filter
    // cleared, every claim again, and the counts of the tree as before.
    if (problemsOnly) {
        tree()->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"))->setChecked(false);
        QVERIFY(waitForTreeFilter());
        QCOMPARE(shownClaims(), listedKeys(generated_, expression));
    }
    bar->clearFilter();
    QCOMPARE(shownClaims(), everyClaim);
    QVERIFY(!status->isVisible());
}

void ClaimListTest::claimListHasTheCommandLinesRows() {
    QVERIFY(start(generated_));
    QCOMPARE(main_->findChild<QAction*>(QStringLiteral("mnuToolsClaimList"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_L));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsClaimList")));
    auto* list = GuiTest::view<frmClaimList>(*main_, QStringLiteral("frmClaimList"));
    QVERIFY(list);
    list->waitForListed();
    auto* grid = list->findChild<ResultsTableView*>(QStringLiteral("gridClaims"));
    QVERIFY(grid);
    const auto* count = list->findChild<QLabel*>(QStringLiteral("lblRows"));
    QCOMPARE(count->text(), QStringLiteral("240 of 240 claims"));
    // The keys column fits the last key, the longest, not just those in view.
    const QString lastKey =
        grid->model()->index(grid->model()->rowCount() - 1, ClaimListModel::Key).data().toString();
    QTRY_VERIFY(grid->columnWidth(ClaimListModel::Key) >
                grid->fontMetrics().horizontalAdvance(lastKey));
    // Tab goes from the text filter to the claim filter beside it, then to the rows.
    QWidget* next = list->findChild<QWidget*>(QStringLiteral("txtFilter"))->nextInFocusChain();
    while (next != list->filterBar() && next != grid && next != list)
        next = next->nextInFocusChain();
    QCOMPARE(next, list->filterBar());

    // Its own filter: the claims the command line lists, and the count of the file's.
    const QString expression = QStringLiteral("XA0.12.0 > 90.00");
    QVERIFY(list->filterBar()->apply(expression));
    list->waitForListed();
    const QStringList expected = listedKeys(generated_, expression);
    QVERIFY(expected.size() > 2 && expected.size() < 240);
    QStringList keys;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        keys.append(grid->model()->index(row, ClaimListModel::Key).data().toString());
    QCOMPARE(keys, expected);
    QCOMPARE(count->text(), QStringLiteral("%1 of 240 claims").arg(expected.size()));

    // The export is the command line's CSV, row for row.
    const QString csv = dir_->filePath(QStringLiteral("claims.csv"));
    GuiTest::dialogs().setNextFileName(csv);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportClaimList")));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), runList(generated_, expression, QStringLiteral("--csv")));

    // Sorted by Stated Total: amounts in order as numbers, not as texts.
    list->shownRows()->sort(ClaimListModel::StatedTotal, Qt::AscendingOrder);
    QVERIFY(QTest::qWaitFor([&] { return !list->shownRows()->isSorting(); }, kTimeoutMs));
    double before = -1;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        QString text = grid->model()->index(row, ClaimListModel::StatedTotal).data().toString();
        const double amount = text.remove(QLatin1Char('$')).remove(QLatin1Char(',')).toDouble();
        QVERIFY2(amount >= before, qPrintable(text));
        before = amount;
    }

    // A double-click (Enter) opens the claim, as a click in the tree does.
    const QModelIndex first = grid->model()->index(0, 0);
    grid->setCurrentIndex(first);
    emit grid->activated(first);
    QVERIFY(QTest::qWaitFor(
        [&] { return main_->document()->lastClick().key == first.data().toString().toStdString(); },
        kTimeoutMs));
}

void ClaimListTest::filterReadsAlongWithTheCheck_data() {
    QTest::addColumn<bool>("whileReading");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("fed");
    const QString withProblems = QStringLiteral("XA0.12.0 > 200.00 || problem");
    QTest::newRow("set before the check reads") << false << withProblems << true;
    QTest::newRow("set while the check reads") << true << withProblems << true;
    // Asking no problems, it does not wait for the check.
    QTest::newRow("no problems asked") << true << QStringLiteral("XA0.12.0 > 200.00") << false;
}

void ClaimListTest::filterReadsAlongWithTheCheck() {
    QFETCH(bool, whileReading);
    QFETCH(QString, expression);
    QFETCH(bool, fed);
    // The check held before it reads, or at its 20th claim, until the filter is set.
    auto go = std::make_shared<QSemaphore>();
    auto claims = std::make_shared<std::atomic<int>>(0);
    const auto hold = [go](const WorkSeams::Stopped& stopped) {
        while (!go->tryAcquire(1, 5) && !stopped()) {
        }
    };
    if (whileReading)
        context_->seams().eachClaim = [hold, claims](const WorkSeams::Stopped& stopped) {
            if (++*claims == 20)
                hold(stopped);
        };
    else
        context_->seams().pause = [hold](WorkSeams::Job job, const WorkSeams::Stopped& stopped) {
            if (job == WorkSeams::Job::Check)
                hold(stopped);
        };
    QVERIFY(start(generated_));
    ProblemCheck& check = main_->document()->check();
    QVERIFY(QTest::qWaitFor([&] { return check.isRunning() && (!whileReading || *claims >= 20); },
                            kTimeoutMs));
    auto* bar = tree()->findChild<FilterBar*>(QStringLiteral("cboDisplayFilter"));
    QVERIFY(bar->apply(expression));
    go->release();
    QVERIFY(waitForTreeFilter());
    const auto* job = tree()->findChild<ClaimFilterJob*>();
    const qint64 fileSize = QFileInfo(generated_).size();
    // Fed by the check's reading: set before it read, nothing read again; set
    // while it read, at most what it had begun (here its one chunk). Not
    // fed, the claims read once.
    QCOMPARE(job->summary().fedByCheck, fed);
    QCOMPARE(job->summary().bytesRead == 0, fed && !whileReading);
    QVERIFY(job->summary().bytesRead <= fileSize);
    QStringList expected = listedKeys(generated_, expression);
    QCOMPARE(shownClaims(), expected);
    const auto* status = tree()->findChild<QLabel*>(QStringLiteral("lblShowing"));
    QCOMPARE(status->text(), QStringLiteral("Showing %1 of 240 claims").arg(expected.size()));

    // Once the check has ended, a filter reads the file once, no more.
    QVERIFY(QTest::qWaitFor([&] { return check.state() == ProblemMarks::State::Finished; },
                            kTimeoutMs));
    const QString later = QStringLiteral("XA0.12.0 <= 200.00 && !problem");
    QVERIFY(bar->apply(later));
    QVERIFY(waitForTreeFilter());
    QVERIFY(!job->summary().fedByCheck);
    QVERIFY(job->summary().bytesRead > 0 && job->summary().bytesRead <= fileSize);
    expected = listedKeys(generated_, later);
    QCOMPARE(shownClaims(), expected);
    QCOMPARE(status->text(), QStringLiteral("Showing %1 of 240 claims").arg(expected.size()));
}

QTEST_MAIN(ClaimListTest)
#include "ClaimListTest.moc"

// The whole-file check in the viewer: the marks, tooltips and counts of the
// file tree against `quillmark-cli --json check` on the same files, the
// problems window (rows, sorting, filters, opening a claim), F8, the tree's
// "Only claims with problems", stopping a running check (Cancel, File > Close,
// opening another file) and File > Export Problems.
#include "GeneratedFiles.h"
#include "GuiTest.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"
#include "core/check/FileCheck.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/AppContext.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/SettingsStore.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/ProblemText.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr int kCheckTimeoutMs = 30000;

unsigned bit(ProblemKind kind) {
    return 1u << unsigned(kind);
}

// What the command-line tool says of every claim: the kinds of its problems
// and how many rows they make.
struct CliCheck {
    QMap<QString, unsigned> kinds; // by claim key
    QMap<QString, int> rows;
    QMap<QString, QStringList> texts; // the words of its problem rows, in order
    int claimsWithProblems = 0;
};

CliCheck runCli(const QString& file, const QString& mapsDir) {
    QProcess cli;
    cli.start(QStringLiteral(QUILLMARK_CLI),
              {QStringLiteral("--maps"), mapsDir, QStringLiteral("--json"), QStringLiteral("check"),
               file});
    cli.waitForFinished(60000);
    CliCheck result;
    const QJsonObject document = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    for (const QJsonValue& value : document.value(u"problems").toArray()) {
        const QJsonObject problem = value.toObject();
        if (problem.value(u"where").toString() == u"claim")
            result.texts[problem.value(u"claim").toString()].append(
                problem.value(u"text").toString());
    }
    const QJsonArray claims = document.value(u"claims").toArray();
    for (const QJsonValue& value : claims) {
        const QJsonObject claim = value.toObject();
        const QString state = claim.value(u"totals_state").toString();
        const int mismatches = int(claim.value(u"mismatches").toArray().size());
        const int invalid = int(claim.value(u"invalid").toArray().size());
        unsigned kinds = 0;
        int rows = mismatches + invalid;
        if (state == u"do_not_compute")
            kinds |= bit(ProblemKind::TotalsDoNotCompute);
        if (invalid)
            kinds |= bit(ProblemKind::InvalidValue);
        for (const auto& [fieldless, holds] :
             {std::pair{ProblemKind::Unreadable, claim.value(u"unreadable").toBool()},
              std::pair{ProblemKind::CouldNotCheck, state == u"could_not_check"},
              std::pair{ProblemKind::NoXa0, state == u"no_trailer"}}) {
            if (holds) {
                kinds |= bit(fieldless);
                ++rows;
            }
        }
        const QString key = claim.value(u"key").toString();
        result.kinds[key] = kinds;
        result.rows[key] = rows;
        result.claimsWithProblems += kinds ? 1 : 0;
    }
    return result;
}

} // namespace

class ProblemsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void marksAndCountsAgreeWithTheCommandLine_data();
    void marksAndCountsAgreeWithTheCommandLine();
    void fieldlessKindsTakeARowEach();
    void problemsWindowListsSortsAndFilters();
    void rowAndF8OpenTheClaimAsAClickDoes();
    void onlyClaimsWithProblemsGrowsWhileTheCheckRuns();
    void cancelKeepsWhatWasFoundAndCheckAgainFinishes();
    void closingOrOpeningAnotherFileStopsTheCheck_data();
    void closingOrOpeningAnotherFileStopsTheCheck();
    void exportWritesTheRows();

private:
    QString writeTwoBatchFile(const QString& name,
                              const QString& mapsDir = QStringLiteral(MAPS_DIR));
    // An nsfgen file of claims in batches, with wrong totals and missing XA0
    // records in the claims numbered (from 1).
    QString generate(const QString& name, int claims, int batches, const QList<int>& wrongTotals,
                     const QList<int>& withoutXa0 = {});
    // A copy of the maps in which XA0 lacks a field the totals are compared with.
    QString mapsWithoutXa0Total();
    bool start(const QString& path, const QString& mapsDir = QStringLiteral(MAPS_DIR));
    frmNSFTree* tree() const;
    // The whole-file check of the tree window.
    ProblemCheck& check() const { return *qobject_cast<ProblemCheck*>(tree()->problemMarks()); }
    frmProblems* problemsWindow() const;
    bool waitForCheck();
    QString treeStatus() const;
    // The problems window's rows as shown, one line a row, cells joined by '|'.
    QStringList shownRows() const;
    void slowDownChecks();

    // Claim and map files, for the whole run (data functions write them too).
    QTemporaryDir files_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void ProblemsTest::initTestCase() {
    GuiTest::initTestCase();
    QVERIFY(files_.isValid());
}

void ProblemsTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = std::make_unique<AppContext>();
}

void ProblemsTest::cleanup() {
    main_.reset();
    ProblemCheck::setClaimHookForTests({});
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

QString ProblemsTest::writeTwoBatchFile(const QString& name, const QString& mapsDir) {
    const NsfRecords records(mapsDir.toStdString(), "nsf0301.map");
    TwoBatchFile::Options options;
    options.invalidServiceDate = true;
    const TwoBatchFile file(records, options);
    const QString path = files_.filePath(name);
    file.text.write(path);
    return path;
}

QString ProblemsTest::generate(const QString& name, int claims, int batches,
                               const QList<int>& wrongTotals, const QList<int>& withoutXa0) {
    const QString path = files_.filePath(name);
    QStringList arguments{QStringLiteral("--version"), QStringLiteral("00301"),
                          QStringLiteral("--claims"),  QString::number(claims),
                          QStringLiteral("--batches"), QString::number(batches)};
    for (const int claim : wrongTotals)
        arguments << QStringLiteral("--wrong-totals") << QString::number(claim);
    for (const int claim : withoutXa0)
        arguments << QStringLiteral("--no-xa0") << QString::number(claim);
    GeneratedFiles::write(arguments, path);
    return path;
}

QString ProblemsTest::mapsWithoutXa0Total() {
    const QString folder = files_.filePath(QStringLiteral("maps"));
    QDir().mkpath(folder);
    QFile original(QStringLiteral(MAPS_DIR "/nsf0301.map"));
    QFile copy(folder + QStringLiteral("/nsf0301.map"));
    if (!original.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
        return QString();
    while (!original.atEnd()) {
        const QByteArray line = original.readLine();
        if (!line.startsWith("XA0,12.0,"))
            copy.write(line);
    }
    return folder;
}

bool ProblemsTest::start(const QString& path, const QString& mapsDir) {
    main_ = Startup::run(*context_, {path}, mapsDir);
    return main_ && tree();
}

frmNSFTree* ProblemsTest::tree() const {
    DocumentWindow* document = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    return document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
}

frmProblems* ProblemsTest::problemsWindow() const {
    DocumentWindow* document = main_->documents()->findDocument(QStringLiteral("frmProblems"));
    return document ? qobject_cast<frmProblems*>(document->widget()) : nullptr;
}

bool ProblemsTest::waitForCheck() {
    return QTest::qWaitFor([this] { return check().state() == ProblemMarks::State::Finished; },
                           kCheckTimeoutMs);
}

QString ProblemsTest::treeStatus() const {
    const auto* panel = tree()->findChild<QLabel*>(QStringLiteral("StatusBar1Panel3"));
    return panel && panel->isVisible() ? panel->text() : QString();
}

QStringList ProblemsTest::shownRows() const {
    QStringList rows;
    const QAbstractItemModel* model = problemsWindow()->table()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells.append(model->index(row, column).data().toString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

void ProblemsTest::slowDownChecks() {
    ProblemCheck::setClaimHookForTests(
        [] { std::this_thread::sleep_for(std::chrono::microseconds(500)); });
}

void ProblemsTest::marksAndCountsAgreeWithTheCommandLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("maps");
    const QString maps = QStringLiteral(MAPS_DIR);
    QTest::newRow("sample 3.01") << QStringLiteral(SAMPLES_DIR "/sample301.nsf") << maps;
    QTest::newRow("sample 2.00") << QStringLiteral(SAMPLES_DIR "/sample200.nsf") << maps;
    QTest::newRow("generated, faults injected")
        << generate(QStringLiteral("faults.nsf"), 600, 4, {1, 151, 152}, {300, 600}) << maps;
    QTest::newRow("invalid values") << writeTwoBatchFile(QStringLiteral("invalid.nsf")) << maps;
    QTest::newRow("map without an XA0 total")
        << writeTwoBatchFile(QStringLiteral("uncheckable.nsf")) << mapsWithoutXa0Total();
}

void ProblemsTest::marksAndCountsAgreeWithTheCommandLine() {
    QFETCH(QString, file);
    QFETCH(QString, maps);
    const CliCheck cli = runCli(file, maps);
    QVERIFY(!cli.kinds.isEmpty());
    QVERIFY(start(file, maps));
    QVERIFY(waitForCheck());

    const qm::FileTree& claims = tree()->tree();
    const ProblemList& problems = check().problems();
    const auto* model = qobject_cast<const FileTreeModel*>(
        tree()->findChild<QTreeView*>(QStringLiteral("TreeView1"))->model());
    QMap<qint64, int> beneath; // claims with problems under each file header and batch
    int claimCount = 0;
    for (qint64 node = 0; node < claims.size(); ++node) {
        if (claims.recordType(node) != "CA0")
            continue;
        ++claimCount;
        const QString key = QString::fromStdString(claims.key(node));
        const qint64 claim = problems.findClaim(node);
        const unsigned kinds = claim < 0 ? 0 : problems.claimKinds(claim);
        QCOMPARE(kinds, cli.kinds.value(key));
        const QModelIndex index = model->nodeIndex(node);
        QCOMPARE(index.data(Qt::DecorationRole).isValid(), kinds != 0);
        QCOMPARE(index.data(Qt::ToolTipRole).isValid(), kinds != 0);
        if (!kinds)
            continue;
        QCOMPARE(int(problems.endRow(claim) - problems.firstRow(claim)), cli.rows.value(key));
        // Row for row, in the same words.
        QStringList texts;
        for (qint64 row = problems.firstRow(claim); row < problems.endRow(claim); ++row)
            texts << ProblemText::line(check().layouts(), problems, problems.row(row));
        QCOMPARE(texts, cli.texts.value(key));
        for (qint64 above = claims.parent(node); above >= 0; above = claims.parent(above))
            ++beneath[above];
    }
    QCOMPARE(claimCount, cli.kinds.size());
    for (qint64 node = 0; node < claims.size(); ++node) {
        if (claims.recordType(node) == "CA0")
            continue;
        const ProblemList::Counts* counts = problems.findContainer(node);
        QCOMPARE(counts ? int(counts->claims) : 0, beneath.value(node));
        QCOMPARE(model->nodeIndex(node).data(Qt::DecorationRole).isValid(),
                 beneath.value(node) > 0);
        // The tooltip's words as shown (its blanks are kept from breaking).
        const QString tip =
            QTextDocumentFragment::fromHtml(model->nodeIndex(node).data(Qt::ToolTipRole).toString())
                .toPlainText()
                .replace(QChar::Nbsp, QLatin1Char(' '));
        QCOMPARE(tip.startsWith(QStringLiteral("%1 claim").arg(beneath.value(node))),
                 counts != nullptr);
    }
    const int marked = cli.claimsWithProblems;
    QCOMPARE(treeStatus(), marked == 0   ? QStringLiteral("No problems found")
                           : marked == 1 ? QStringLiteral("Problems: 1 claim")
                                         : QStringLiteral("Problems: %1 claims").arg(marked));
    int rows = 0;
    for (const int n : cli.rows)
        rows += n;
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    QVERIFY(problemsWindow());
    QCOMPARE(problemsWindow()->table()->model()->rowCount(), rows);
}

void ProblemsTest::fieldlessKindsTakeARowEach() {
    // A claim the file changed under (unreadable), without its XA0, with one
    // value that fails its check: three rows, as the engine gives them.
    qm::LayoutCatalogue layouts; // FA0 repeats: its node keys carry the occurrence
    qm::FieldDef sequence;
    sequence.FieldName = "SEQUENCE NO";
    layouts.at(qm::recordTypeIndex("FA0")).addField(sequence);
    std::vector<qm::ProblemRow> rows(3);
    rows[0].problem.kind = qm::Problem::Kind::InvalidValue;
    rows[0].problem.recordType = std::int8_t(qm::recordTypeIndex("FA0"));
    rows[0].problem.occurrence = 2;
    rows[0].problem.field = 4;
    rows[0].value = "20231340";
    rows[1].problem.kind = qm::Problem::Kind::Unreadable;
    rows[2].problem.kind = qm::Problem::Kind::NoXa0;
    ProblemList::Batch batch;
    QVERIFY(batch.add(2, {rows.data(), rows.size()}, &layouts));
    QVERIFY(!batch.add(3, {}, &layouts));
    qm::SequentialFile sample;
    QVERIFY(sample.open(SAMPLES_DIR "/sample301.nsf"));
    const qm::FileTree claims = qm::BuildTree(sample); // node 2: a claim of a batch
    ProblemList list;
    list.append(claims, batch, 0, 1);
    QCOMPARE(list.claimCount(), 1);
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(list.claimKinds(0), bit(ProblemKind::InvalidValue) | bit(ProblemKind::Unreadable) |
                                     bit(ProblemKind::NoXa0));
    QCOMPARE(list.row(0).kind, ProblemKind::InvalidValue);
    QCOMPARE(QString::fromLatin1(list.record(list.row(0)).data(), 5), QStringLiteral("FA0-2"));
    QCOMPARE(std::string(list.value(list.row(0))), std::string("20231340"));
    QCOMPARE(list.row(1).kind, ProblemKind::Unreadable);
    QCOMPARE(list.row(2).kind, ProblemKind::NoXa0);
    QVERIFY(list.value(list.row(2)).empty());
    QCOMPARE(ProblemText::claimToolTip(nullptr, list, 0).count(QLatin1Char('\n')), 2);
}

void ProblemsTest::problemsWindowListsSortsAndFilters() {
    // Qt's placeholder for a caption's modified mark in the name, kept as typed.
    const QString path = writeTwoBatchFile(QStringLiteral("two[*].nsf"));
    QVERIFY(start(path));
    QVERIFY(waitForCheck());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    frmProblems* window = problemsWindow();
    QVERIFY(window);
    // A maximized document puts its caption into the main window's title.
    main_->documents()->findDocument(QStringLiteral("frmProblems"))->showMaximized();
    QTRY_COMPARE(main_->windowHandle()->title(),
                 QStringLiteral("Quillmark - [Problems (%1)]").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(window->table()->objectName(), QStringLiteral("gridProblems"));
    QAbstractItemModelTester tester(window->problems());
    // Tree order; the claim key, node text, kind, record, field, name, found, expected.
    const QStringList treeOrder = shownRows();
    QCOMPARE(treeOrder.size(), 2);
    QVERIFY2(treeOrder.at(0).startsWith(QStringLiteral("CA0")) &&
                 treeOrder.at(0).contains(QStringLiteral("|CA0: DOE, JANE (A001)|Invalid value|"
                                                         "FA0-1|05.0|Service Date From|20231340|")),
             qPrintable(treeOrder.at(0)));
    QVERIFY2(treeOrder.at(1).endsWith(QStringLiteral(
                 "|Totals do not compute|XA0|12.0|Total Claim Charges|0000101|0000100")),
             qPrintable(treeOrder.at(1)));

    // Kinds sort by how serious they are: totals first.
    window->table()->sortByColumn(ProblemTableModel::Kind, Qt::AscendingOrder);
    QCOMPARE(shownRows(), (QStringList{treeOrder.at(1), treeOrder.at(0)}));
    window->table()->sortByColumn(ProblemTableModel::Claim, Qt::AscendingOrder);
    QCOMPARE(shownRows(), treeOrder);

    auto* kinds = window->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    QVERIFY(kinds);
    QCOMPARE(kinds->count(), kProblemKindCount + 1);
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("Invalid value")));
    QCOMPARE(shownRows(), QStringList{treeOrder.at(0)});
    kinds->setCurrentIndex(0);
    QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("txtFilter")),
                     QStringLiteral("poe"));
    QTRY_COMPARE(shownRows(), QStringList{treeOrder.at(1)});
}

void ProblemsTest::rowAndF8OpenTheClaimAsAClickDoes() {
    QVERIFY(start(writeTwoBatchFile(QStringLiteral("two.nsf"))));
    QVERIFY(waitForCheck());
    const qm::FileTree& claims = tree()->tree();
    const qint64 claimA = 2; // after the file header and the first batch
    const qint64 claimC = claims.size() - 1;
    QCOMPARE(QString::fromStdString(claims.text(claimA)), QStringLiteral("CA0: DOE, JANE (A001)"));
    QCOMPARE(QString::fromStdString(claims.text(claimC)), QStringLiteral("CA0: POE, EDGAR (C003)"));
    // The patient control number of the claim the form shows.
    auto* form = static_cast<frmClaimForm*>(nullptr);
    auto formClaim = [&form] {
        const qm::AssembledRecord* ca0 = form ? form->claim()->record("CA0") : nullptr;
        return ca0 ? QString::fromStdString(ca0->line.substr(5, 4)) : QString();
    };

    // Enter on the totals row: the claim selected in the tree, the totals
    // message, the form of that claim.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    QTableView* grid = problemsWindow()->table();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(tree()->selectedNode(), claimC);
    QCOMPARE(MessageBoxes::shown().size(), 1);
    QCOMPARE(MessageBoxes::shown().constFirst().text,
             QStringLiteral("XA0 Record totals do not compute!"));
    form = main_->findChild<frmClaimForm*>();
    QVERIFY(form && form->claim());
    QCOMPARE(formClaim(), QStringLiteral("C003"));

    // A double-click on the other row: no message.
    MessageBoxes::reset();
    MessageBoxes::setTestMode(true);
    const QRect cell = grid->visualRect(grid->model()->index(0, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(tree()->selectedNode(), claimA);
    QCOMPARE(formClaim(), QStringLiteral("A001"));
    QVERIFY(MessageBoxes::shown().isEmpty());

    // F8 goes on to the next claim with problems, also from the claim form
    // the last one opened in; past the last it starts again at the first;
    // Shift+F8 goes back.
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QVERIFY(form->isAncestorOf(QApplication::focusWidget()));
    const QKeySequence next(Qt::Key_F8);
    const QKeySequence previous(Qt::SHIFT | Qt::Key_F8);
    const std::tuple<QKeySequence, qint64, const char*> steps[] = {{next, claimC, "C003"},
                                                                   {next, claimA, "A001"},
                                                                   {previous, claimC, "C003"},
                                                                   {previous, claimA, "A001"}};
    for (const auto& [keys, expected, pcn] : steps) {
        QTest::keySequence(QApplication::focusWidget(), keys);
        QCOMPARE(tree()->selectedNode(), expected);
        QCOMPARE(formClaim(), QString::fromLatin1(pcn));
    }
}

void ProblemsTest::onlyClaimsWithProblemsGrowsWhileTheCheckRuns() {
    const QString file = generate(QStringLiteral("faults.nsf"), 400, 4, {2, 3, 399}, {250});
    slowDownChecks();
    QVERIFY(start(file));
    auto* view = tree()->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    auto* model = qobject_cast<FileTreeModel*>(view->model());
    QAbstractItemModelTester tester(model);
    auto* only = tree()->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"));
    QVERIFY(only);
    QTRY_VERIFY(only->isEnabled());
    QCOMPARE(only->text(), QStringLiteral("Only claims with problems"));
    only->setChecked(true);
    QVERIFY(check().isRunning());
    QVERIFY(waitForCheck());

    // The file header, the three batches holding problems and the four claims, all open.
    QStringList shown;
    for (QModelIndex index = model->index(0, 0); index.isValid(); index = view->indexBelow(index))
        shown.append(QString::fromStdString(tree()->tree().key(FileTreeModel::nodeOf(index))));
    const ProblemList& problems = check().problems();
    QCOMPARE(shown.size(), 1 + 3 + 4);
    QCOMPARE(problems.claimCount(), 4);
    for (qint64 claim = 0; claim < problems.claimCount(); ++claim)
        QVERIFY(
            shown.contains(QString::fromStdString(tree()->tree().key(problems.claimNode(claim)))));

    // Find lands on a claim without problems: every node shows again.
    const qint64 clean = problems.claimNode(0) - 1; // the first claim
    QVERIFY(!model->isShown(clean));
    tree()->activateNode(clean);
    QVERIFY(!only->isChecked());
    QCOMPARE(tree()->selectedNode(), clean);
    QCOMPARE(model->rowCount(model->index(0, 0)), 4);
}

void ProblemsTest::cancelKeepsWhatWasFoundAndCheckAgainFinishes() {
    const QString file = generate(QStringLiteral("faults.nsf"), 2000, 8, {1, 2000});
    slowDownChecks();
    QVERIFY(start(file));
    ProblemCheck& running = check();
    QTRY_COMPARE(running.problems().claimCount(), 1);
    auto* progress = tree()->findChild<QWidget*>(QStringLiteral("prgCheck"));
    auto* cancel = tree()->findChild<QToolButton*>(QStringLiteral("cmdCancelCheck"));
    QVERIFY(progress && progress->isVisible() && cancel && cancel->isVisible());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportProblems"))->isEnabled());
    // Clicks on claims answer as ever meanwhile.
    tree()->activateNode(tree()->tree().size() - 1);
    QVERIFY(main_->findChild<frmClaimForm*>());
    QVERIFY(running.isRunning());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(running.state(), ProblemMarks::State::Cancelled);
    QVERIFY(!progress->isVisible());
    QCOMPARE(treeStatus(), QStringLiteral("Check cancelled (problems so far: 1 claim)"));
    QTest::qWait(300);
    QCOMPARE(running.problems().claimCount(), 1);

    ProblemCheck::setClaimHookForTests({});
    auto* again = tree()->findChild<QToolButton*>(QStringLiteral("cmdCheckAgain"));
    QVERIFY(again && again->isVisible());
    QTest::mouseClick(again, Qt::LeftButton);
    QVERIFY(waitForCheck());
    QCOMPARE(running.problems().claimCount(), 2);
    QCOMPARE(treeStatus(), QStringLiteral("Problems: 2 claims"));
}

void ProblemsTest::closingOrOpeningAnotherFileStopsTheCheck_data() {
    QTest::addColumn<bool>("openAnother");
    QTest::newRow("File > Close") << false;
    QTest::newRow("another file") << true;
}

void ProblemsTest::closingOrOpeningAnotherFileStopsTheCheck() {
    QFETCH(bool, openAnother);
    const QString first = generate(QStringLiteral("first.nsf"), 2000, 8, {1}, {1999});
    slowDownChecks();
    QVERIFY(start(first));
    QPointer<ProblemCheck> old = &check();
    QTRY_COMPARE(old->problems().claimCount(), 1);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    QVERIFY(problemsWindow());

    if (openAnother) {
        ProblemCheck::setClaimHookForTests({});
        main_->openFile(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
    } else {
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    }
    // The old check is stopped and goes with its window, the problems window with it.
    QVERIFY(!old || !old->isRunning());
    QTRY_VERIFY(!old);
    QVERIFY(!problemsWindow());
    if (!openAnother) {
        QVERIFY(!tree());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsProblems"))->isEnabled());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportProblems"))->isEnabled());
        return;
    }
    // The new file's marks only: the sample's two claims with problems.
    QVERIFY(tree());
    QVERIFY(waitForCheck());
    const ProblemList& problems = check().problems();
    QCOMPARE(problems.claimCount(), 2);
    QCOMPARE(tree()->tree().key(problems.claimNode(0)), std::string("CA04831"));
    QCOMPARE(tree()->tree().key(problems.claimNode(1)), std::string("CA016101"));
}

void ProblemsTest::exportWritesTheRows() {
    QVERIFY(start(writeTwoBatchFile(QStringLiteral("two.nsf"))));
    QVERIFY(waitForCheck());
    // Without the problems window: every row, in tree order.
    const QString all = dir_->filePath(QStringLiteral("all.csv"));
    FileDialog::setNextFileName(all);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QCOMPARE(FileDialog::saveRequests().size(), 1);
    QCOMPARE(FileDialog::saveRequests().constFirst().fileName,
             files_.filePath(QStringLiteral("two-problems.csv")));
    QFile written(all);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, two rows, and the end of the last line
    QCOMPARE(lines.at(0), QByteArray("Claim,Node Text,Kind,Record,Field,Name,Found,Expected\r"));
    QVERIFY(lines.at(1).contains(",\"CA0: DOE, JANE (A001)\",Invalid value,FA0-1,05.0,"));
    QVERIFY(lines.at(2).contains(",Totals do not compute,XA0,12.0,Total Claim Charges,"));

    // With it: the rows it shows, as it shows them.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    problemsWindow()->findChild<QComboBox*>(QStringLiteral("cboCategory"))->setCurrentIndex(1);
    const QString shown = dir_->filePath(QStringLiteral("shown.csv"));
    FileDialog::setNextFileName(shown);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QFile filtered(shown);
    QVERIFY(filtered.open(QIODevice::ReadOnly));
    QCOMPARE(filtered.readAll().count('\n'), 2);
    QVERIFY(MessageBoxes::shown().isEmpty());

    // Never over the open claim file.
    const QString claims = files_.filePath(QStringLiteral("two.nsf"));
    QFile claimFile(claims);
    QVERIFY(claimFile.open(QIODevice::ReadOnly));
    const QByteArray before = claimFile.readAll();
    claimFile.close();
    FileDialog::setNextFileName(claims);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QCOMPARE(MessageBoxes::shown().size(), 1);
    QVERIFY(MessageBoxes::shown().constFirst().text.endsWith(
        QStringLiteral(":\nit is the claim file that is open, which Quillmark never changes")));
    QVERIFY(claimFile.open(QIODevice::ReadOnly));
    QCOMPARE(claimFile.readAll(), before);
}

QTEST_MAIN(ProblemsTest)
#include "ProblemsTest.moc"

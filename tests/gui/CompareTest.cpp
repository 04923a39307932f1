// File > Compare With... in the viewer: the rows against the engine's
// differences, the filters, pairing by order, both units side by side,
// opening A's claim, the export, a file that is no claim file, Cancel, and
// the windows going with the file.
#include "ClaimFormDriver.h"
#include "GuiTest.h"
#include "core/compare/FileComparison.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/compare/ClaimCompareModel.h"
#include "gui/compare/CompareModel.h"
#include "gui/compare/frmClaimCompare.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

namespace {

const QString kSample = QStringLiteral(SAMPLES_DIR "/sample301.nsf");
const QString kChanged = QStringLiteral(SAMPLES_DIR "/sample301-changed.nsf");

} // namespace

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { GuiTest::initTestCase(); }
    void init();
    void cleanup();

    void rowsAreTheEnginesDifferences_data();
    void rowsAreTheEnginesDifferences();
    void filtersByKindAndText();
    void rowShowsBothUnitsSideBySide_data();
    void rowShowsBothUnitsSideBySide();
    void lineNoUnitShowsIsARowOfItsOwn();
    void showInFileTreeOpensAsClaim();
    void exportWritesTheRowsShownAndNeverOverEitherFile();
    void anotherFileThatIsNoClaimFile();
    void cancelStopsTheComparison();
    void windowsGoWithTheFile();

private:
    // Chooses path in File > Compare With...; false when no comparison window came.
    bool compareWith(const QString& path);
    bool waitUntilDone() const;
    ResultsTableView* grid() const;
    // The cells of a row as the window shows it, joined by " | ".
    QString shownRow(int row) const;
    // The engine's differences between the sample and its changed copy, in
    // the words of a row, sorted.
    static QStringList engineRows(qm::FileComparison::Match match);
    frmClaimCompare* openRowShowing(const QString& text);
    frmCompare* window() const {
        return GuiTest::view<frmCompare>(*main_, QStringLiteral("frmCompare"));
    }
    frmClaimCompare* sideBySide() const {
        return GuiTest::view<frmClaimCompare>(*main_, QStringLiteral("frmClaimCompare"));
    }
    // Holds each comparison before it reads, until the test lets one go.
    void holdComparisons() {
        context_->seams().pause = [this](WorkSeams::Job, const WorkSeams::Stopped& stopped) {
            while (!go_.tryAcquire(1, 5) && !stopped()) {
            }
        };
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
    QSemaphore go_;
};

void CompareTest::init() {
    go_.tryAcquire(go_.available());
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    main_ = Startup::run(*context_, {kSample}, QStringLiteral(MAPS_DIR));
    QVERIFY(main_);
    main_->resize(1300, 900);
}

void CompareTest::cleanup() {
    go_.release(8); // a comparison held back by a test that failed goes on
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

bool CompareTest::compareWith(const QString& path) {
    GuiTest::dialogs().setNextFileName(path);
    return GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileCompare")) &&
           window() != nullptr;
}

bool CompareTest::waitUntilDone() const {
    return QTest::qWaitFor([this] {
        return window() && !window()
                                ->findChild<QPushButton*>(QStringLiteral("cmdCancelCompare"))
                                ->isVisibleTo(window());
    });
}

ResultsTableView* CompareTest::grid() const {
    return window()->findChild<ResultsTableView*>(QStringLiteral("gridCompare"));
}

QString CompareTest::shownRow(int row) const {
    QStringList cells;
    const QAbstractItemModel* rows = grid()->model();
    for (int column = 0; column < rows->columnCount(); ++column)
        cells << rows->index(row, column).data().toString();
    return cells.join(QStringLiteral(" | "));
}

QStringList CompareTest::engineRows(qm::FileComparison::Match match) {
    std::vector<std::unique_ptr<ClaimDocument>> files;
    for (const QString& path : {kSample, kChanged})
        files.push_back(GuiTest::openDocument(path, {MAPS_DIR}));
    qm::FileComparison::Options options;
    options.match = match;
    QStringList rows;
    qm::FileComparison::run(
        {files[0]->file().file(), files[0]->file().layouts()},
        {files[1]->file().file(), files[1]->file().layouts()}, options, [&](qm::Difference&& d) {
            QString kind = QString::fromLatin1(qm::kindWord(d.kind));
            QString what = QString::fromLatin1(qm::unitWord(d.unit));
            kind[0] = kind[0].toUpper();
            what[0] = what[0].toUpper();
            const bool both = d.a.present() && d.b.present();
            rows << QStringList{kind,
                                what,
                                QString::fromStdString(d.a.key(d.unit)),
                                QString::fromStdString(d.b.key(d.unit)),
                                QString::fromStdString(d.name),
                                QString::fromStdString(d.number),
                                both ? QString::number(d.fields.size()) : QString()}
                        .join(QStringLiteral(" | "));
        });
    rows.sort();
    return rows;
}

frmClaimCompare* CompareTest::openRowShowing(const QString& text) {
    for (int row = 0; row < grid()->model()->rowCount(); ++row) {
        if (!shownRow(row).contains(text))
            continue;
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        return sideBySide();
    }
    qWarning("no row showing %s", qPrintable(text));
    return nullptr;
}

void CompareTest::rowsAreTheEnginesDifferences_data() {
    QTest::addColumn<int>("match");
    QTest::newRow("by control number") << int(qm::FileComparison::Match::ControlNumber);
    QTest::newRow("by position") << int(qm::FileComparison::Match::Position);
}

void CompareTest::rowsAreTheEnginesDifferences() {
    QFETCH(int, match);
    QVERIFY(!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportComparison")));
    QVERIFY(compareWith(kChanged));
    QAbstractItemModelTester tester(window()->model());
    auto* pairing = window()->findChild<QComboBox*>(QStringLiteral("cboMatch"));
    QVERIFY(waitUntilDone());
    if (match != int(qm::FileComparison::Match::ControlNumber)) {
        // Another pairing compares again.
        pairing->setCurrentIndex(pairing->findData(match));
        emit pairing->activated(pairing->currentIndex());
        QVERIFY(waitUntilDone());
    }
    QStringList shown;
    for (int row = 0; row < grid()->model()->rowCount(); ++row)
        shown << shownRow(row);
    shown.sort();
    QCOMPARE(shown, engineRows(qm::FileComparison::Match(match)));
    QVERIFY(!shown.isEmpty());
    QCOMPARE(window()->findChild<QLabel*>(QStringLiteral("lblFiles"))->text(),
             QStringLiteral("A: %1\nB: %2").arg(kSample, kChanged));
    if (match == int(qm::FileComparison::Match::ControlNumber))
        QCOMPARE(window()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Differ: 4 claims, 1 batch, 1 file header. A: 6 claims, B: 6."));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void CompareTest::filtersByKindAndText() {
    QVERIFY(compareWith(kChanged));
    QVERIFY(waitUntilDone());
    auto* kinds = window()->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("Removed")));
    QCOMPARE(grid()->model()->rowCount(), 1);
    QVERIFY(shownRow(0).contains(QStringLiteral("FAIRCHILD, HOMER")));
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("Changed")));
    QCOMPARE(grid()->model()->rowCount(), 4);
    auto* filter = window()->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    filter->setText(QStringLiteral("hollis"));
    QTRY_COMPARE(grid()->model()->rowCount(), 1);
    // Keys sort as numbers, in file order.
    kinds->setCurrentIndex(0);
    filter->clear();
    QTRY_COMPARE(grid()->model()->rowCount(), 6);
    grid()->sortByColumn(CompareModel::KeyA, Qt::AscendingOrder);
    QStringList keys;
    for (int row = 0; row < grid()->model()->rowCount(); ++row)
        keys << grid()->model()->index(row, CompareModel::KeyA).data().toString();
    QCOMPARE(keys, (QStringList{QString(), QStringLiteral("AA01"), QStringLiteral("CA0967"),
                                QStringLiteral("CA09017"), QStringLiteral("BA011915"),
                                QStringLiteral("CA012237")}));
}

void CompareTest::rowShowsBothUnitsSideBySide_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("titleA");
    QTest::addColumn<int>("differing");
    QTest::addColumn<bool>("canOpen");
    QTest::newRow("changed claim")
        << QStringLiteral("O'DONNELL") << QStringLiteral("2 fields differ.")
        << QStringLiteral("A: CA0967  CA0: O'DONNELL, WILMA (OW000000001)") << 2 << true;
    QTest::newRow("changed batch")
        << QStringLiteral("LAKEVIEW") << QStringLiteral("3 fields differ.")
        << QStringLiteral("A: BA011915  BA0: 487251821 - LAKEVIEW "
                          "FAMILY PRACTICE")
        << 3 << true;
    QTest::newRow("added claim") << QStringLiteral("NEW000000001")
                                 << QStringLiteral("Claim only in B (added).")
                                 << QStringLiteral("A: not in this file") << -1 << false;
    QTest::newRow("removed claim")
        << QStringLiteral("FAIRCHILD") << QStringLiteral("Claim only in A (removed).")
        << QStringLiteral("A: CA012237  CA0: FAIRCHILD, HOMER "
                          "(FH000000004)")
        << -1 << true;
}

void CompareTest::rowShowsBothUnitsSideBySide() {
    QFETCH(QString, row);
    QFETCH(QString, summary);
    QFETCH(QString, titleA);
    QFETCH(int, differing);
    QFETCH(bool, canOpen);
    QVERIFY(compareWith(kChanged));
    QVERIFY(waitUntilDone());
    frmClaimCompare* side = openRowShowing(row);
    QVERIFY(side);
    QAbstractItemModelTester tester(side->model());
    QCOMPARE(side->findChild<QLabel*>(QStringLiteral("lblSummary"))->text(), summary);
    QCOMPARE(side->findChild<QLabel*>(QStringLiteral("lblClaimA"))->text(), titleA);
    QCOMPARE(side->findChild<QPushButton*>(QStringLiteral("cmdOpenClaim"))->isEnabled(), canOpen);
    const ClaimCompareModel* model = side->model();
    // A unit only one file has differs in every field.
    QCOMPARE(model->differingRows(), differing < 0 ? model->rowCount() : differing);
    QVERIFY(model->rowCount() > 10);
    // The grids line up: one model, each showing its side's columns.
    auto* gridA = side->findChild<QTableView*>(QStringLiteral("gridClaimA"));
    auto* gridB = side->findChild<QTableView*>(QStringLiteral("gridClaimB"));
    QCOMPARE(gridA->model(), gridB->model());
    QVERIFY(!gridA->isColumnHidden(ClaimCompareModel::ValueA) &&
            gridA->isColumnHidden(ClaimCompareModel::ValueB));
    QVERIFY(gridB->isColumnHidden(ClaimCompareModel::ValueA) &&
            !gridB->isColumnHidden(ClaimCompareModel::ValueB));
    // Each differing value marked, on the sides that have it; only those on the toggle.
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex a = model->index(r, ClaimCompareModel::ValueA);
        const QModelIndex b = model->index(r, ClaimCompareModel::ValueB);
        const bool differs = a.data(ClaimCompareModel::DiffersRole).toBool();
        QCOMPARE(a.data(Qt::BackgroundRole).isValid(),
                 differs &&
                     !model->index(r, ClaimCompareModel::FieldA).data().toString().isEmpty());
        QCOMPARE(b.data(Qt::BackgroundRole).isValid(),
                 differs &&
                     !model->index(r, ClaimCompareModel::FieldB).data().toString().isEmpty());
        if (differing > 0 && differs)
            QVERIFY(a.data().toString() != b.data().toString());
        if (differing > 0 && !differs && !a.data().toString().isEmpty() &&
            !b.data().toString().isEmpty())
            QCOMPARE(a.data().toString(), b.data().toString());
    }
    // The first value that differs is in view.
    const QModelIndex first =
        gridA->model()
            ->match(gridA->model()->index(0, 0), ClaimCompareModel::DiffersRole, true)
            .value(0);
    QVERIFY(first.isValid());
    QTRY_VERIFY(gridA->visualRect(first).top() >= 0 &&
                gridA->visualRect(first).bottom() <= gridA->viewport()->height());
    QTRY_COMPARE(gridB->verticalScrollBar()->value(), gridA->verticalScrollBar()->value());
    QVERIFY(gridA->verticalScrollBar()->value() > 0 || gridA->visualRect(first).top() < 100);
    side->findChild<QCheckBox*>(QStringLiteral("chkOnlyDifferences"))->setChecked(true);
    QCOMPARE(gridA->model()->rowCount(), model->differingRows());
}

// A line the units do not show: a row of its own, never "the same", and
// side by side the line as each file has it.
void CompareTest::lineNoUnitShowsIsARowOfItsOwn() {
    QFile sample(kSample);
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QByteArray bytes = sample.readAll();
    // After claim CA0967's XA0 (line 15): a line outside every claim.
    int at = 0;
    for (int line = 0; line < 15; ++line)
        at = bytes.indexOf("\r\n", at) + 2;
    bytes.insert(at, "STRAY\r\n");
    const QString other = dir_->filePath(QStringLiteral("stray.nsf"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(compareWith(other));
    QVERIFY(waitUntilDone());
    QCOMPARE(grid()->model()->rowCount(), 1);
    QCOMPARE(shownRow(0), QStringLiteral("Added | Line |  | line 16 | a line too short to be a "
                                         "record in batch BA0323, outside its claims |  | "));
    QCOMPARE(window()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
             QStringLiteral("Differ: 1 line. A: 6 claims, B: 6."));
    frmClaimCompare* side = openRowShowing(QStringLiteral("too short"));
    QVERIFY(side);
    QAbstractItemModelTester tester(side->model());
    QCOMPARE(side->findChild<QLabel*>(QStringLiteral("lblClaimA"))->text(),
             QStringLiteral("A: not in this file"));
    QCOMPARE(side->findChild<QLabel*>(QStringLiteral("lblClaimB"))->text(),
             QStringLiteral("B: line 16"));
    QVERIFY(side->findChild<QLabel*>(QStringLiteral("lblSummary"))
                ->text()
                .startsWith(QStringLiteral("Line only in B (added): a line too short")));
    QVERIFY(!side->findChild<QPushButton*>(QStringLiteral("cmdOpenClaim"))->isEnabled());
    QCOMPARE(side->model()->rowCount(), 1);
    QCOMPARE(side->model()->index(0, ClaimCompareModel::ValueB).data().toString(),
             QStringLiteral("STRAY"));
    QVERIFY(side->model()->index(0, ClaimCompareModel::ValueB).data(Qt::BackgroundRole).isValid());
}

void CompareTest::showInFileTreeOpensAsClaim() {
    QVERIFY(compareWith(kChanged));
    QVERIFY(waitUntilDone());
    frmClaimCompare* side = openRowShowing(QStringLiteral("HOLLIS"));
    QVERIFY(side);
    QTest::mouseClick(side->findChild<QPushButton*>(QStringLiteral("cmdOpenClaim")),
                      Qt::LeftButton);
    auto form = [this] {
        return GuiTest::view<frmClaimForm>(*main_, QStringLiteral("frmClaimForm"));
    };
    QTRY_VERIFY(form());
    QCOMPARE(form()->claimKey(), std::string("CA09017"));
    QCOMPARE(ClaimFormDriver(form()).selectedKey(), QStringLiteral("CA0"));
}

void CompareTest::exportWritesTheRowsShownAndNeverOverEitherFile() {
    const QString other = dir_->filePath(QStringLiteral("other.nsf"));
    QVERIFY(QFile::copy(kChanged, other));
    QVERIFY(compareWith(other));
    QVERIFY(waitUntilDone());
    window()
        ->findChild<QLineEdit*>(QStringLiteral("txtFilter"))
        ->setText(QStringLiteral("FAIRCHILD"));
    QTRY_COMPARE(grid()->model()->rowCount(), 1);
    const QString csv = dir_->filePath(QStringLiteral("comparison.csv"));
    GuiTest::dialogs().setNextFileName(csv);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportComparison")));
    QCOMPARE(GuiTest::dialogs().saveRequests().constLast().fileName,
             QStringLiteral(SAMPLES_DIR "/sample301-compare.csv"));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()),
             QStringLiteral("Kind,What,Key in A,Key in B,Name,Control Number,Fields,Record,"
                            "Field,Field Name,Value in A,Value in B\r\n"
                            "Removed,Claim,CA012237,,\"FAIRCHILD, HOMER\",FH000000004,,,,,,\r\n"));
    // File B is open too: an export never replaces it.
    QFile before(other);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    GuiTest::dialogs().setNextFileName(other);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportComparison")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QVERIFY(GuiTest::dialogs().shown().constFirst().text.contains(
        QStringLiteral("claim file that is open")));
    // Nor does any other export while B is compared: the problems, a claim.
    window()->findChild<QLineEdit*>(QStringLiteral("txtFilter"))->clear();
    QTRY_VERIFY(grid()->model()->rowCount() > 1);
    frmClaimCompare* side = openRowShowing(QStringLiteral("HOLLIS"));
    QVERIFY(side);
    QTest::mouseClick(side->findChild<QPushButton*>(QStringLiteral("cmdOpenClaim")),
                      Qt::LeftButton);
    for (const char* command : {"mnuFileExportProblems", "mnuFileExportClaim"}) {
        auto* action = main_->findChild<QAction*>(QLatin1String(command));
        QTRY_VERIFY2(action->isEnabled(), command);
        const qsizetype told = GuiTest::dialogs().shown().size();
        GuiTest::dialogs().setNextFileName(other);
        action->trigger();
        QCOMPARE(GuiTest::dialogs().shown().size(), told + 1);
        QVERIFY2(GuiTest::dialogs().shown().constLast().text.contains(
                     QStringLiteral("claim file that is open")),
                 qPrintable(GuiTest::dialogs().shown().constLast().text));
    }
    QFile after(other);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
}

void CompareTest::anotherFileThatIsNoClaimFile() {
    GuiTest::dialogs().setNextFileName(QStringLiteral(SAMPLES_DIR "/not-a-claim.txt"));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileCompare")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("This is not an NSF file. Can not locate the AA0 record!"));
    QVERIFY(!window());
    // The open file stays open, and cancelling the dialog does nothing.
    QVERIFY(context_->document());
    GuiTest::dialogs().setNextFileName(QString());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileCompare")));
    QVERIFY(!window());
}

void CompareTest::cancelStopsTheComparison() {
    holdComparisons();
    QVERIFY(compareWith(kChanged));
    auto* cancel = window()->findChild<QPushButton*>(QStringLiteral("cmdCancelCompare"));
    QVERIFY(cancel->isVisibleTo(window()));
    QTest::mouseClick(cancel, Qt::LeftButton);
    go_.release();
    QVERIFY(waitUntilDone());
    QCOMPARE(window()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
             QStringLiteral("The comparison was cancelled: these are the differences found "
                            "before."));
    QCOMPARE(grid()->model()->rowCount(), 0);
}

// Closing the file while a comparison runs stops it; both windows close with the file.
void CompareTest::windowsGoWithTheFile() {
    QVERIFY(compareWith(kChanged));
    QVERIFY(waitUntilDone());
    QVERIFY(openRowShowing(QStringLiteral("HOLLIS")));
    holdComparisons();
    QVERIFY(compareWith(kChanged));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    go_.release();
    QTRY_VERIFY(!main_->documents()->findDocument(QStringLiteral("frmCompare")));
    QTRY_VERIFY(!main_->documents()->findDocument(QStringLiteral("frmClaimCompare")));
    QTRY_VERIFY(!window() && !sideBySide());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileCompare"))->isEnabled());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportComparison"))->isEnabled());
}

QTEST_MAIN(CompareTest)
#include "CompareTest.moc"

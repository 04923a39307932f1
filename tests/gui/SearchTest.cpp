// The field search in the viewer: the panel and its pickers, the results
// window as a search fills it, queries the panel refuses, Cancel, opening a
// result in the claim form, the export, and the results going with the file.
#include "ClaimFormDriver.h"
#include "GuiTest.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/SearchResultsModel.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <atomic>
#include <memory>

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void panelIsFilledFromTheMap();
    void searchFillsTheResults();
    void numbersAsPeopleTypeThem_data();
    void numbersAsPeopleTypeThem();
    void queriesThatCannotRunAreSaidInThePanel_data();
    void queriesThatCannotRunAreSaidInThePanel();
    void cancelStopsARunningSearch();
    void resultOpensItsClaimAtTheField();
    void resultOpensEvenAfterTheTreeWasClosed();
    void exportWritesTheRowsShown();
    void resultsGoWithTheFile();
    void aFileThatChangesWhileSearchedIsNoAnswer();
    void resultsStayInFrontWhenThePanelCloses_data();
    void resultsStayInFrontWhenThePanelCloses();

private:
    frmSearchFields* panel() const { return main_->findChild<frmSearchFields*>(); }
    // The results window while it is open (not on its way out), or nullptr.
    frmSearchResults* results() const {
        DocumentWindow* window =
            main_->documents()->findDocument(QStringLiteral("frmSearchResults"));
        return window && !window->isHidden() ? qobject_cast<frmSearchResults*>(window->widget())
                                             : nullptr;
    }
    // The claim form while it is open, or nullptr.
    frmClaimForm* form() const { return main_->findChild<frmClaimForm*>(); }
    // Holds each search before it reads, until the test lets one go.
    void holdSearches() {
        context_->seams().pause = [this](WorkSeams::Job, const WorkSeams::Stopped& stopped) {
            while (!go_.tryAcquire(1, 5) && !stopped()) {
            }
        };
    }
    template <typename T> T* control(const char* name) const {
        T* found = panel()->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    // Opens the panel, fills it in and presses Search; false when no search ran.
    bool search(const QString& text, int match = frmSearchFields::Contains,
                const QString& type = {}, const QString& field = {});
    bool waitUntilDone() const;
    ResultsTableView* grid() const;
    // The cells of a row as the results window shows it, joined by " | ".
    QString shownRow(int row) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
    // Searches wait for it when a test holds them back.
    QSemaphore go_;
};

void SearchTest::initTestCase() {
    GuiTest::initTestCase();
}

void SearchTest::init() {
    go_.tryAcquire(go_.available());
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    main_ = Startup::run(*context_, {QStringLiteral(SAMPLES_DIR "/sample301.nsf")},
                         QStringLiteral(MAPS_DIR));
    QVERIFY(main_);
    main_->resize(1200, 900);
}

void SearchTest::cleanup() {
    go_.release(8); // a search held back by a test that failed goes on, and can be waited for
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

bool SearchTest::search(const QString& text, int match, const QString& type, const QString& field) {
    if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")))
        return false;
    control<QLineEdit>("txtSearchFor")->setText(text);
    control<QComboBox>("cboMatch")->setCurrentIndex(match);
    auto* types = control<QComboBox>("cboRecordType");
    types->setCurrentIndex(type.isEmpty() ? 0 : types->findData(type));
    auto* fields = control<QComboBox>("cboField");
    fields->setCurrentIndex(field.isEmpty() ? 0 : fields->findData(field));
    QTest::mouseClick(control<QPushButton>("cmdSearch"), Qt::LeftButton);
    return results() != nullptr;
}

bool SearchTest::waitUntilDone() const {
    return QTest::qWaitFor([this] { return control<QPushButton>("cmdSearch")->isEnabled(); });
}

ResultsTableView* SearchTest::grid() const {
    return results()->findChild<ResultsTableView*>(QStringLiteral("gridResults"));
}

QString SearchTest::shownRow(int row) const {
    QStringList cells;
    const QAbstractItemModel* rows = grid()->model();
    for (int column = 0; column < rows->columnCount(); ++column)
        if (!grid()->isColumnHidden(column))
            cells << rows->index(row, column).data().toString();
    return cells.join(QStringLiteral(" | "));
}

void SearchTest::panelIsFilledFromTheMap() {
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")));
    QVERIFY(panel()->isVisible());
    QVERIFY(!panel()->isModal());
    auto* types = control<QComboBox>("cboRecordType");
    auto* fields = control<QComboBox>("cboField");
    QCOMPARE(types->itemText(0), QStringLiteral("(any)"));
    // Each type by its code and its name.
    QCOMPARE(types->itemText(types->findData(QStringLiteral("CA0"))),
             QStringLiteral("CA0 \u2014 Claim header"));
    QCOMPARE(types->itemText(types->findData(QStringLiteral("ZA0"))),
             QStringLiteral("ZA0 \u2014 File trailer"));
    QVERIFY(!fields->isEnabled());
    types->setCurrentIndex(types->findData(QStringLiteral("CA0")));
    QVERIFY(fields->isEnabled());
    QCOMPARE(fields->itemText(fields->findData(QStringLiteral("04.0"))),
             QStringLiteral("04.0 Patient Last Name"));
    // The second number is asked for only where there is a range.
    auto* match = control<QComboBox>("cboMatch");
    QVERIFY(!control<QLineEdit>("txtSearchTo")->isEnabled());
    match->setCurrentIndex(frmSearchFields::NumberBetween);
    QVERIFY(control<QLineEdit>("txtSearchTo")->isEnabled());
}

void SearchTest::searchFillsTheResults() {
    QVERIFY(search(QStringLiteral("pond")));
    QVERIFY(waitUntilDone());
    QCOMPARE(results()->searchText(), QStringLiteral("Contains \"pond\" in any field"));
    QCOMPARE(panel()->status(), QStringLiteral("Found 6 fields in 4 claims (6 claims searched)."));
    QCOMPARE(grid()->model()->rowCount(), 6);
    // The batch's BA1 shows with each of its claims; claims in file order.
    QCOMPARE(shownRow(0), QStringLiteral("CA0967 | CA0: O'DONNELL, WILMA (OW000000001) | BA1 | "
                                         "07.0 | Prov Svc Addr 1 | 77 MILL POND RD"));
    QCOMPARE(shownRow(3), QStringLiteral("CA04831 | CA0: GALLOWAY, MABEL (GM000000002) | DA2-1 | "
                                         "04.0 | Insured's Address Line 1 | 77 MILL POND RD"));
    QCOMPARE(
        grid()->model()->index(3, SearchResultsModel::Value).data(SearchResultsModel::MatchRole),
        QVariant(QPoint(8, 4)));

    // A second search replaces the rows: numbers in one field.
    QVERIFY(search(QStringLiteral("150.00"), frmSearchFields::NumberGreater, QStringLiteral("XA0"),
                   QStringLiteral("12.0")));
    QVERIFY(waitUntilDone());
    QCOMPARE(results()->searchText(),
             QStringLiteral("Number > 150.00 in XA0 12.0 (amounts of money)"));
    QStringList claims;
    for (int row = 0; row < grid()->model()->rowCount(); ++row)
        claims << shownRow(row).section(QStringLiteral(" | "), 0, 0);
    QCOMPARE(claims, (QStringList{QStringLiteral("CA0967"), QStringLiteral("CA04831"),
                                  QStringLiteral("CA012237"), QStringLiteral("CA018999")}));
}

// Amounts and dates as people type them; over any field a number looks only
// in fields of its kind, and the search says which.
void SearchTest::numbersAsPeopleTypeThem_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("match");
    QTest::addColumn<QString>("field"); // in XA0, or empty: any field
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<int>("fields");
    QTest::newRow("an amount in a money field")
        << "157.51" << int(frmSearchFields::NumberEqual) << "12.0"
        << "Number = 157.51 in XA0 12.0 (amounts of money)" << 1;
    QTest::newRow("dollars in any field")
        << "$157.51" << int(frmSearchFields::NumberEqual) << ""
        << "Number = $157.51 in any field (amounts of money only)" << 1;
    QTest::newRow("a comparison of its own")
        << ">$1,000.00" << int(frmSearchFields::NumberEqual) << ""
        << "Number >$1,000.00 in any field (amounts of money only)" << 0;
    QTest::newRow("a date month first") << "06/02/1983" << int(frmSearchFields::NumberEqual) << ""
                                        << "Number = 06/02/1983 in any field (dates only)" << 3;
    QTest::newRow("dates between")
        << "2003-08-27" << int(frmSearchFields::NumberBetween) << ""
        << "Number from 2003-08-27 to 2003-09-01 in any field (dates only)" << 4;
}

void SearchTest::numbersAsPeopleTypeThem() {
    QFETCH(QString, text);
    QFETCH(int, match);
    QFETCH(QString, field);
    QFETCH(QString, searchText);
    QFETCH(int, fields);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")));
    control<QLineEdit>("txtSearchTo")->setText(QStringLiteral("2003-09-01"));
    QVERIFY(search(text, match, field.isEmpty() ? QString() : QStringLiteral("XA0"), field));
    QVERIFY(waitUntilDone());
    QCOMPARE(results()->searchText(), searchText);
    QCOMPARE(grid()->model()->rowCount(), fields);
    QVERIFY2(panel()->status().contains(QStringLiteral(" Only fields of ")) == field.isEmpty(),
             qPrintable(panel()->status()));
}

void SearchTest::queriesThatCannotRunAreSaidInThePanel_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("match");
    QTest::addColumn<QString>("status");
    QTest::newRow("no text") << QString() << int(frmSearchFields::Contains)
                             << QStringLiteral("No text to search for.");
    QTest::newRow("no pattern") << QStringLiteral("(") << int(frmSearchFields::Regex)
                                << QStringLiteral("Not a regular expression: missing ).");
    QTest::newRow("no number") << QStringLiteral("ten") << int(frmSearchFields::NumberLess)
                               << QStringLiteral("\u201Cten\u201D in Find what is no amount, date "
                                                 "or whole number: type an amount as 160.00 or "
                                                 "$1,600.50, a date as 2024-03-15 or 03/15/2024.");
}

void SearchTest::queriesThatCannotRunAreSaidInThePanel() {
    QFETCH(QString, text);
    QFETCH(int, match);
    QFETCH(QString, status);
    QVERIFY(!search(text, match));
    QCOMPARE(panel()->status(), status);
    QVERIFY(control<QPushButton>("cmdSearch")->isEnabled());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void SearchTest::cancelStopsARunningSearch() {
    holdSearches();
    QVERIFY(search(QStringLiteral("pond")));
    // Running: the GUI answers, Search waits, Cancel stops.
    QVERIFY(!control<QPushButton>("cmdSearch")->isEnabled());
    QVERIFY(control<QProgressBar>("prgSearch")->isVisible());
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
    go_.release();
    QVERIFY(waitUntilDone());
    QCOMPARE(panel()->status(),
             QStringLiteral("Search cancelled; found 0 fields in 0 claims before."));
    QVERIFY(panel()->isVisible());
    QCOMPARE(grid()->model()->rowCount(), 0);
    // Cancel with nothing running closes the panel.
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
    QVERIFY(!panel()->isVisible());
}

void SearchTest::resultOpensItsClaimAtTheField() {
    QVERIFY(search(QStringLiteral("pond")));
    QVERIFY(waitUntilDone());
    // Enter on the claim's own address: the claim, its CA0 record, the field.
    grid()->setFocus();
    grid()->setCurrentIndex(grid()->model()->index(1, 0));
    QTest::keyClick(grid(), Qt::Key_Return);
    QVERIFY(form());
    ClaimFormDriver form(this->form());
    QCOMPARE(form.selectedKey(), QStringLiteral("CA0"));
    const int slot = context_->layouts()->find("CA0")->indexOf("11.0") + 1;
    QCOMPARE(form.grid()->currentRow(), frmClaimForm::tableRowOfGridRow(slot));
    QCOMPARE(form.tbRecord()->selectedText().trimmed(), QStringLiteral("77 MILL POND RD"));
    auto* tree = static_cast<frmNSFTree*>(
        main_->documents()->findDocument(QStringLiteral("frmNSFTree"))->widget());
    QCOMPARE(tree->tree().key(tree->selectedNode()), std::string("CA0967"));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // A double-click on a record under the claim of wrong totals: the
    // message a click gives, then that record.
    const QRect cell = grid()->visualRect(grid()->model()->index(3, 0));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("XA0 Record totals do not compute!"));
    QCOMPARE(form.selectedKey(), QStringLiteral("DA2-1"));
    QCOMPARE(tree->tree().key(tree->selectedNode()), std::string("CA04831"));
}

void SearchTest::resultOpensEvenAfterTheTreeWasClosed() {
    QVERIFY(search(QStringLiteral("pond")));
    QVERIFY(waitUntilDone());
    main_->documents()->findDocument(QStringLiteral("frmNSFTree"))->close();
    QTRY_VERIFY(!main_->documents()->findDocument(QStringLiteral("frmNSFTree")));
    emit results()->rowActivated(4);
    QVERIFY(main_->documents()->findDocument(QStringLiteral("frmNSFTree")));
    QVERIFY(form());
    QCOMPARE(ClaimFormDriver(form()).selectedKey(), QStringLiteral("BA1"));
}

void SearchTest::exportWritesTheRowsShown() {
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportResults"))->isEnabled());
    QVERIFY(search(QStringLiteral("galloway"), frmSearchFields::Contains, QStringLiteral("CA0")));
    QVERIFY(waitUntilDone());
    const QString path = dir_->filePath(QStringLiteral("results.csv"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportResults")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The patient's name and control number in columns of their own, for a spreadsheet.
    QCOMPARE(
        QString::fromUtf8(file.readAll()),
        QStringLiteral("Claim,Claim Text,Record,Field,Name,Value,Patient Name,Control Number\r\n"
                       "CA04831,\"CA0: GALLOWAY, MABEL (GM000000002)\",CA0,04.0,"
                       "Patient Last Name,GALLOWAY,\"GALLOWAY, MABEL\",GM000000002\r\n"));
    QCOMPARE(main_->confirmation(), QStringLiteral("Exported 1 row to ") + path);
    // The next export starts in the folder of this one, not beside the claim file.
    GuiTest::dialogs().setNextFileName(QString());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportResults")));
    QCOMPARE(QFileInfo(GuiTest::dialogs().saveRequests().constLast().fileName).absolutePath(),
             dir_->path());

    // Never over the open claim file (a copy: the sample itself is not put at stake).
    const QString claims = dir_->filePath(QStringLiteral("claims.nsf"));
    QVERIFY(QFile::copy(QStringLiteral(SAMPLES_DIR "/sample301.nsf"), claims));
    main_->openFile(claims);
    QVERIFY(search(QStringLiteral("galloway"), frmSearchFields::Contains, QStringLiteral("CA0")));
    QVERIFY(waitUntilDone());
    GuiTest::dialogs().setNextFileName(claims);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportResults")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("Unable to write ") + claims +
                 QStringLiteral(":\nit is the claim file that is open, which Quillmark never "
                                "changes"));
    QFile copy(claims);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QFile sample(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), sample.readAll());
}

// Closing the file while a search runs stops it; its results close with the file.
void SearchTest::resultsGoWithTheFile() {
    holdSearches();
    QVERIFY(search(QStringLiteral("pond")));
    QVERIFY(main_->findChild<QAction*>(QStringLiteral("mnuFileExportResults"))->isEnabled());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QVERIFY(control<QPushButton>("cmdSearch")->isEnabled());
    go_.release();
    QTRY_VERIFY(!main_->documents()->findDocument(QStringLiteral("frmSearchResults")));
    QVERIFY(!results());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportResults"))->isEnabled());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsSearchFields"))->isEnabled());
}

// A file cut short while it is searched: the search says so, as the check does.
void SearchTest::aFileThatChangesWhileSearchedIsNoAnswer() {
    const QString claims = dir_->filePath(QStringLiteral("shrinks.nsf"));
    QVERIFY(QFile::copy(QStringLiteral(SAMPLES_DIR "/sample301.nsf"), claims));
    main_->openFile(claims);
    const qint64 size = QFileInfo(claims).size();
    auto cut = std::make_shared<std::atomic<bool>>(false);
    context_->seams().beforeRead = [cut, claims, size](WorkSeams::Job, std::int64_t at) {
        if (at > size / 2 && !cut->exchange(true))
            QFile::resize(claims, size / 3);
    };
    QVERIFY(search(QStringLiteral("e")));
    QVERIFY(waitUntilDone());
    QVERIFY(cut->load());
    QVERIFY2(panel()->status().startsWith(QStringLiteral("File changed while read: ")),
             qPrintable(panel()->status()));
}

void SearchTest::resultsStayInFrontWhenThePanelCloses_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
}

void SearchTest::resultsStayInFrontWhenThePanelCloses() {
    QFETCH(bool, byEscape);
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QVERIFY(search(QStringLiteral("pond")));
    QVERIFY(waitUntilDone());
    QVERIFY(QTest::qWaitForWindowActive(panel()));
    if (byEscape)
        QTest::keyClick(control<QLineEdit>("txtSearchFor"), Qt::Key_Escape);
    else
        panel()->close();
    QTRY_VERIFY(!panel()->isVisible());
    // The main window is active again (as a window manager makes it).
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QTest::qWait(50);
    DocumentArea* documents = main_->documents();
    QMdiSubWindow* shown = qobject_cast<QMdiSubWindow*>(results()->parentWidget());
    QCOMPARE(documents->activeSubWindow(), shown);
    QCOMPARE(documents->subWindowList(QMdiArea::StackingOrder).constLast(), shown);
}

QTEST_MAIN(SearchTest)
#include "SearchTest.moc"

// The results window the problems window and the field search are made of:
// its text and category filters, sorting by a column's sort value, the count
// of rows shown, activation by Enter and double-click, and the CSV export of
// the rows shown.
#include "GuiTest.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/results/ResultsExport.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/results/ResultsWindow.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Rows made when asked: as many as the view can be given.
class CountedRows : public QAbstractTableModel {
public:
    explicit CountedRows(int rows)
        : rows_(rows) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole
                   ? QVariant(QStringLiteral("%1:%2").arg(index.row()).arg(index.column()))
                   : QVariant();
    }

private:
    int rows_;
};

} // namespace

class ResultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filtersByTextAndCategoryAndCountsTheRows();
    void sortsByTheSortValueWhereThereIsOne();
    void enterAndDoubleClickReportTheSourceRow();
    void exportWritesTheRowsShownAsCsv();
    void exportThatCannotWriteSaysSo();
    void exportRefusesWhatItMustNotReplace_data();
    void exportRefusesWhatItMustNotReplace();
    void exportThatFailsLeavesTheOldFile();
    void largeExportAnswersAndStops_data();
    void largeExportAnswersAndStops();
    void columnsFitTheWindow_data();
    void columnsFitTheWindow();
    void tenMillionRowsGoByKeyAndMouse_data();
    void tenMillionRowsGoByKeyAndMouse();

private:
    // Rows shown, by their first column.
    QStringList shownKeys() const;
    void typeFilter(const QString& text);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ResultsWindow> window_;
};

void ResultsTest::initTestCase() {
    GuiTest::initTestCase();
}

void ResultsTest::init() {
    dir_ = GuiTest::isolatedFolder();
    // Keys that sort wrongly as text (CA0967 after CA04831), a category in
    // column 0, and values that need quoting in CSV.
    auto* model = new QStandardItemModel(0, 3);
    model->setHorizontalHeaderLabels(
        {QStringLiteral("Key"), QStringLiteral("Kind"), QStringLiteral("Value")});
    const struct {
        const char* key;
        qint64 position;
        int category;
        const char* kind;
        const char* value;
    } rows[] = {{"CA0967", 967, 1, "Totals", "0015751"},
                {"CA04831", 4831, 2, "Invalid", "SMITH, \"JR\""},
                {"CA0645", 645, 2, "Invalid", "plain"}};
    for (const auto& row : rows) {
        auto* key = new QStandardItem(QString::fromLatin1(row.key));
        key->setData(row.position, ResultsFilterModel::SortRole);
        key->setData(row.category, ResultsFilterModel::CategoryRole);
        model->appendRow({key, new QStandardItem(QString::fromLatin1(row.kind)),
                          new QStandardItem(QString::fromLatin1(row.value))});
    }
    window_ = std::make_unique<ResultsWindow>(QStringLiteral("frmResults"),
                                              QStringLiteral("gridResults"), model);
    window_->setCategories(QStringLiteral("&Kind:"), {{QStringLiteral("All"), {}},
                                                      {QStringLiteral("Totals"), 1},
                                                      {QStringLiteral("Invalid"), 2}});
    window_->resize(600, 300);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void ResultsTest::cleanup() {
    window_.reset();
    GuiTest::release();
    dir_.reset();
}

QStringList ResultsTest::shownKeys() const {
    QStringList keys;
    const QAbstractItemModel* rows = window_->table()->model();
    for (int row = 0; row < rows->rowCount(); ++row)
        keys.append(rows->index(row, 0).data().toString());
    return keys;
}

void ResultsTest::typeFilter(const QString& text) {
    auto* box = window_->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QVERIFY(box);
    box->clear();
    QTest::keyClicks(box, text);
}

void ResultsTest::filtersByTextAndCategoryAndCountsTheRows() {
    auto* count = window_->findChild<QLabel*>(QStringLiteral("lblRows"));
    QVERIFY(count);
    QCOMPARE(count->text(), QStringLiteral("3 rows"));

    // Any column, case ignored; the table follows once typing pauses.
    typeFilter(QStringLiteral("smith"));
    QTRY_COMPARE(shownKeys(), QStringList{QStringLiteral("CA04831")});
    QCOMPARE(count->text(), QStringLiteral("1 of 3 rows"));
    typeFilter(QStringLiteral("ca0"));
    QTRY_COMPARE(shownKeys().size(), 3);

    auto* kinds = window_->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    QVERIFY(kinds && kinds->isVisible());
    kinds->setCurrentIndex(2);
    QCOMPARE(shownKeys(), (QStringList{QStringLiteral("CA0645"), QStringLiteral("CA04831")}));
    // Both filters at once.
    typeFilter(QStringLiteral("plain"));
    QTRY_COMPARE(shownKeys(), QStringList{QStringLiteral("CA0645")});
    kinds->setCurrentIndex(1);
    QCOMPARE(shownKeys(), QStringList());
    QCOMPARE(count->text(), QStringLiteral("0 of 3 rows"));
    kinds->setCurrentIndex(0);
    typeFilter(QString());
    QTRY_COMPARE(shownKeys().size(), 3);
}

void ResultsTest::sortsByTheSortValueWhereThereIsOne() {
    // Column 0 by position, not by text; column 1 by its text.
    QCOMPARE(shownKeys(), (QStringList{QStringLiteral("CA0645"), QStringLiteral("CA0967"),
                                       QStringLiteral("CA04831")}));
    window_->table()->sortByColumn(0, Qt::DescendingOrder);
    QCOMPARE(shownKeys(), (QStringList{QStringLiteral("CA04831"), QStringLiteral("CA0967"),
                                       QStringLiteral("CA0645")}));
    QTest::mouseClick(
        window_->table()->horizontalHeader()->viewport(), Qt::LeftButton, {},
        QPoint(window_->table()->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
    QCOMPARE(window_->table()->horizontalHeader()->sortIndicatorSection(), 2);
    QCOMPARE(shownKeys().constFirst(), QStringLiteral("CA0967")); // "0015751" first
}

void ResultsTest::enterAndDoubleClickReportTheSourceRow() {
    QSignalSpy activated(window_.get(), &ResultsWindow::rowActivated);
    ResultsTableView* table = window_->table();
    // Shown row 0 is CA0645, source row 2.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 1));
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0).at(0).toInt(), 2);

    const QRect cell = table->visualRect(table->model()->index(2, 1));
    // A double-click is a press and release, then a second press that comes as one.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(activated.count(), 2);
    QCOMPARE(activated.at(1).at(0).toInt(), 1); // CA04831
}

void ResultsTest::exportWritesTheRowsShownAsCsv() {
    window_->findChild<QComboBox*>(QStringLiteral("cboCategory"))->setCurrentIndex(2);
    window_->table()->sortByColumn(0, Qt::DescendingOrder);
    const QString path = dir_->filePath(QStringLiteral("rows.csv"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(window_->exportShownRows(QStringLiteral("dlgExport"), QStringLiteral("Export"),
                                     dir_->filePath(QStringLiteral("offered.csv"))));
    QCOMPARE(GuiTest::dialogs().saveRequests().size(), 1);
    QCOMPARE(GuiTest::dialogs().saveRequests().constFirst().objectName,
             QStringLiteral("dlgExport"));
    QCOMPARE(GuiTest::dialogs().saveRequests().constFirst().fileName,
             dir_->filePath(QStringLiteral("offered.csv")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Key,Kind,Value\r\n"
                                        "CA04831,Invalid,\"SMITH, \"\"JR\"\"\"\r\n"
                                        "CA0645,Invalid,plain\r\n"));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // Cancelling the dialog writes nothing.
    QVERIFY(!window_->exportShownRows(QStringLiteral("dlgExport"), QStringLiteral("Export"), path));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void ResultsTest::exportThatCannotWriteSaysSo() {
    const QString path = dir_->filePath(QStringLiteral("no-such-folder/rows.csv"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(!window_->exportShownRows(QStringLiteral("dlgExport"), QStringLiteral("Export"), path));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().title, QStringLiteral("Export"));
    QCOMPARE(GuiTest::dialogs().shown().constFirst().icon, qm::MessageIcon::Critical);
    QVERIFY(GuiTest::dialogs().shown().constFirst().text.startsWith(
        QStringLiteral("Unable to write ")));
    QVERIFY(!QFile::exists(path));
}

namespace {

// What a path is, by the file system: its kind, and a regular file's bytes.
QString describe(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("absent");
    if (S_ISCHR(status.st_mode))
        return QStringLiteral("character device");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("named pipe");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("folder of %1").arg(QDir(path).count());
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll())
                                          : QStringLiteral("unreadable");
}

} // namespace

// An export is renamed over its target only when that is a regular file or
// absent: the open claim file (by any name), a folder, a device or a pipe is
// refused with the reason and left as it was.
void ResultsTest::exportRefusesWhatItMustNotReplace_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    const QString claimFile =
        QStringLiteral("it is the claim file that is open, which Quillmark never changes");
    QTest::newRow("open claim file") << QStringLiteral("claims.nsf") << claimFile;
    QTest::newRow("link to it") << QStringLiteral("link.nsf") << claimFile;
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("it is a folder");
    QTest::newRow("named pipe") << QStringLiteral("pipe")
                                << QStringLiteral("it is a named pipe, not a file");
    QTest::newRow("device") << QStringLiteral("/dev/null")
                            << QStringLiteral("it is a device, not a file");
}

void ResultsTest::exportRefusesWhatItMustNotReplace() {
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const QString claims = dir_->filePath(QStringLiteral("claims.nsf"));
    QFile claimFile(claims);
    QVERIFY(claimFile.open(QIODevice::WriteOnly));
    claimFile.write("AA0 claims");
    claimFile.close();
    QVERIFY(QFile::link(claims, dir_->filePath(QStringLiteral("link.nsf"))));
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder")));
    QVERIFY(::mkfifo(QFile::encodeName(dir_->filePath(QStringLiteral("pipe"))).constData(), 0600) ==
            0);
    const QString path = target.startsWith(QLatin1Char('/')) ? target : dir_->filePath(target);
    const QString before = describe(path);
    const QStringList entries = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System);

    GuiTest::dialogs().setNextFileName(path);
    ExportFile::setKeptFiles([&claims] { return std::vector<std::string>{claims.toStdString()}; });
    const bool written =
        bool(window_->exportShownRows(QStringLiteral("dlgExport"), QStringLiteral("Export"), path));
    ExportFile::setKeptFiles({});
    QVERIFY(!written);
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("Unable to write ") + path + QStringLiteral(":\n") + reason);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().icon, qm::MessageIcon::Critical);
    QCOMPARE(describe(path), before);
    QCOMPARE(describe(claims), QStringLiteral("AA0 claims"));
    // No temporary file is left behind either.
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System), entries);
}

// A write that fails half-way (here: past the largest file the process may
// write, which stops root as well) leaves the old file as it was.
void ResultsTest::exportThatFailsLeavesTheOldFile() {
    const QString path = dir_->filePath(QStringLiteral("rows.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old rows");
    old.close();
    const QStringList entries = QDir(dir_->path()).entryList(QDir::Files);

    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small{20, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    GuiTest::dialogs().setNextFileName(path);
    const bool written =
        bool(window_->exportShownRows(QStringLiteral("dlgExport"), QStringLiteral("Export"), path));
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("Unable to write ") + path + QStringLiteral(":\nFile too large"));
    QCOMPARE(describe(path), QStringLiteral("old rows"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), entries);
}

// A large export goes on behind a progress window, the window answering: its
// Cancel stops the export, and so do rows changing under it; either way
// nothing is written.
void ResultsTest::largeExportAnswersAndStops_data() {
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("message");
    QTest::newRow("left alone") << QString() << QString();
    QTest::newRow("cancelled") << QStringLiteral("cancel") << QString();
    QTest::newRow("sorted meanwhile")
        << QStringLiteral("sort")
        << QStringLiteral(":\nThe rows changed while they were exported (a sort or a filter "
                          "ended, or the file was read again). Export them again.");
}

void ResultsTest::largeExportAnswersAndStops() {
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    CountedRows rows(50'000);
    const QString path = dir_->filePath(QStringLiteral("rows.csv"));
    GuiTest::dialogs().setNextFileName(path);
    bool progressShown = false;
    QTimer::singleShot(0, [&] {
        auto* progress =
            window_->window()->findChild<QProgressDialog*>(QStringLiteral("dlgExportProgress"));
        progressShown = progress != nullptr;
        if (meanwhile == QLatin1String("cancel") && progress)
            progress->cancel();
        if (meanwhile == QLatin1String("sort")) {
            emit rows.layoutAboutToBeChanged();
            emit rows.layoutChanged();
        }
    });
    const ExportFile::Written written = ResultsExport::toFile(
        window_.get(), rows, QStringLiteral("dlgExport"), QStringLiteral("Export"), path);
    QVERIFY(progressShown);
    QCOMPARE(bool(written), meanwhile.isEmpty());
    if (written) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 50'001);
        return;
    }
    QVERIFY(!QFile::exists(path));
    QCOMPARE(GuiTest::dialogs().shown().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
                 QStringLiteral("Unable to write ") + path + message);
}

void ResultsTest::columnsFitTheWindow_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("fitsWhole");
    QTest::newRow("narrow") << 420 << false;
    QTest::newRow("wide") << 1500 << true;
}

void ResultsTest::columnsFitTheWindow() {
    QFETCH(int, width);
    QFETCH(bool, fitsWhole);
    auto* model = new QStandardItemModel(0, 4);
    model->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Claim"),
                                      QStringLiteral("Found"), QStringLiteral("Expected")});
    model->appendRow({new QStandardItem(QStringLiteral("CA04831")),
                      new QStandardItem(QStringLiteral("CA0: GALLOWAY, MABEL (GM000000002)")),
                      new QStandardItem(QStringLiteral("12.0 Total Claim Charges 0015751")),
                      new QStandardItem(QStringLiteral("15750"))});
    ResultsWindow window(QStringLiteral("frmResults"), QStringLiteral("gridResults"), model);
    window.resize(width, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ResultsTableView* table = window.table();
    const QHeaderView* header = table->horizontalHeader();
    QTRY_VERIFY(header->sectionSize(1) != header->defaultSectionSize());
    // Every column starts in the window, the last one's heading whole too.
    const int room = table->viewport()->width();
    const int last = header->sectionPosition(3) +
                     header->fontMetrics().horizontalAdvance(QStringLiteral("Expected"));
    QVERIFY2(last < room, qPrintable(QStringLiteral("%1 of %2").arg(last).arg(room)));
    // Cut only where the window is too narrow for the texts.
    const int claim = table->fontMetrics().horizontalAdvance(model->item(0, 1)->text());
    QCOMPARE(header->sectionSize(1) > claim, fitsWhole);
}

void ResultsTest::tenMillionRowsGoByKeyAndMouse_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("row"); // from the end where negative
    QTest::addColumn<int>("column");
    QTest::newRow("down") << QList<int>{Qt::Key_Down, Qt::Key_Down} << 2 << 0;
    QTest::newRow("up at the top") << QList<int>{Qt::Key_Up} << 0 << 0;
    QTest::newRow("end") << QList<int>{Qt::Key_End} << -1 << 0;
    QTest::newRow("end, page up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -2 << 0;
    QTest::newRow("end, page down") << QList<int>{Qt::Key_End, Qt::Key_PageDown} << -1 << 0;
    QTest::newRow("end, home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0 << 0;
    QTest::newRow("right past the hidden column") << QList<int>{Qt::Key_Right} << 0 << 2;
    QTest::newRow("right at the last column") << QList<int>{Qt::Key_Right, Qt::Key_Right} << 0 << 2;
}

void ResultsTest::tenMillionRowsGoByKeyAndMouse() {
    QFETCH(QList<int>, keys);
    QFETCH(int, row);
    QFETCH(int, column);
    constexpr int kRows = 10'000'000;
    CountedRows rows(kRows);
    ResultsTableView table;
    table.setModel(&rows);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setColumnHidden(1, true);
    table.resize(400, 300);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    table.setFocus();
    table.setCurrentIndex(rows.index(0, 0));
    for (int key : keys)
        QTest::keyClick(&table, Qt::Key(key));

    const int page = table.viewport()->height() / table.rowHeight();
    const int expected = row == -1 ? kRows - 1 : row == -2 ? kRows - 1 - page : row;
    const QModelIndex current = table.currentIndex();
    QCOMPARE(current.row(), expected);
    QCOMPARE(current.column(), column);
    QCOMPARE(table.selectionModel()->selectedRows(), QModelIndexList{rows.index(expected, 0)});
    // The row is in view, where a click finds it again.
    const QRect cell = table.visualRect(current);
    QVERIFY(table.viewport()->rect().contains(cell));
    QCOMPARE(table.indexAt(cell.center()), current);

    // A click on the row below it (above the last) chooses that row whole.
    const int other = expected == kRows - 1 ? expected - 1 : expected + 1;
    const QRect otherCell = table.visualRect(rows.index(other, 2));
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, otherCell.center());
    QCOMPARE(table.currentIndex(), rows.index(other, 2));
    QCOMPARE(table.selectionModel()->selectedRows(), QModelIndexList{rows.index(other, 0)});
    // No type-ahead over so many rows: a letter no row starts with reads them all.
    QTest::keyClick(&table, Qt::Key_9);
    QCOMPARE(table.currentIndex(), rows.index(other, 2));
}

QTEST_MAIN(ResultsTest)
#include "ResultsTest.moc"

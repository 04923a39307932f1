// The results filter worked out a slice per turn of the event loop: what it
// shows in the end, and all the while it works, is what a plain filter and
// sort over the same rows shows (same rows, same order), while rows arrive
// and when a newer filter replaces one not yet shown; unsorted (column -1)
// and unfiltered too, where it keeps nothing per row, and across a switch
// to or from it, the current row staying on its row.
#include "gui/results/ResultsFilterModel.h"

#include "GuiTest.h"
#include "gui/common/CountText.h"
#include "gui/results/ResultsRowFilter.h"
#include "gui/results/ResultsRowOrder.h"
#include "gui/results/ResultsTableView.h"
#include "gui/results/ResultsWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTest>
#include <algorithm>
#include <memory>

class ResultsFilterModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void showsWhatAPlainFilterShows_data();
    void showsWhatAPlainFilterShows();
    void countSaysWhileItFilters();
    void aColumnInTheRowsOwnOrderIsNotSorted();
    void aFilterWithinAnotherIsKnownSo();
    void aSortWithoutItsRankFindsRows();
};

namespace {

constexpr int kRows = 3000;
constexpr int kArriving = 200;  // rows a slice of a running search
constexpr int kSameColumn = -2; // sorted by the column asked for from the start

const char* const kWords[] = {"alpha", "Beta", "gamma", "ABBA", "delta", "abacus", "Omega"};

// Row i: a key sorting by a scrambled position, a word that repeats, a
// number as text, a category of three.
void appendRows(QStandardItemModel& model, int count) {
    for (int i = 0, first = model.rowCount(); i < count; ++i) {
        const int row = first + i;
        auto* key = new QStandardItem(QStringLiteral("R%1").arg(row));
        key->setData((row * 7919) % 10007, ResultsFilterModel::SortRole);
        key->setData(row % 3 + 1, ResultsFilterModel::CategoryRole);
        model.appendRow({key, new QStandardItem(QString::fromLatin1(kWords[row % 7])),
                         new QStandardItem(QString::number((row * 31) % 977))});
    }
}

// The rows a plain filter and sort shows, kept up to date as rows arrive:
// the category on column 0, then the text in any column, case ignored.
struct PlainFilter {
    QSortFilterProxyModel category;
    QSortFilterProxyModel text;

    PlainFilter(QAbstractItemModel* source, const QString& filter, const QVariant& kind, int column,
                Qt::SortOrder order) {
        category.setSourceModel(source);
        category.setFilterRole(ResultsFilterModel::CategoryRole);
        category.setFilterKeyColumn(0);
        if (kind.isValid())
            category.setFilterRegularExpression(
                QStringLiteral("^%1$").arg(QRegularExpression::escape(kind.toString())));
        text.setSourceModel(&category);
        text.setFilterKeyColumn(-1);
        text.setFilterCaseSensitivity(Qt::CaseInsensitive);
        text.setFilterFixedString(filter);
        text.setSortRole(column == 0 ? int(ResultsFilterModel::SortRole) : int(Qt::DisplayRole));
        text.sort(column, order);
    }
};

QStringList keys(const QAbstractItemModel& rows) {
    QStringList shown;
    for (int row = 0; row < rows.rowCount(); ++row)
        shown.append(rows.index(row, 0).data().toString());
    return shown;
}

} // namespace

void ResultsFilterModelTest::initTestCase() {
    GuiTest::initTestCase();
}

// A filter shown first (start), perhaps one that a newer one replaces before
// it is shown (replaced), then the filter asked for; rows arriving in slices
// all the while, or not; sorted by a column (-1: unsorted) either way, or
// first by another (from).
void ResultsFilterModelTest::showsWhatAPlainFilterShows_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("replaced");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("category");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<bool>("arriving");
    // Category 0: every category.
    const struct {
        const char* name;
        const char* start;
        const char* replaced;
        const char* text;
        int category;
        int column;
        bool descending;
        bool arriving;
        int from = kSameColumn;
    } rows[] = {
        {"text", "", "", "ab", 0, 0, false, false},
        {"case ignored", "", "", "bEtA", 0, 0, false, false},
        {"any column", "", "", "97", 0, 0, false, false},
        {"category", "", "", "", 2, 0, false, false},
        {"text and category", "", "", "a", 3, 1, false, false},
        {"nothing", "", "", "zz", 0, 0, false, false},
        {"narrower", "a", "", "ab", 0, 0, true, false},
        {"wider", "mega", "", "ga", 0, 0, false, false},
        {"cleared", "ga", "", "", 0, 0, false, false},
        {"arriving", "", "", "ma", 0, 0, false, true},
        {"arriving, sorted by text", "b", "", "5", 0, 2, true, true},
        {"arriving, cleared", "ab", "", "", 0, 1, false, true},
        {"narrower, arriving", "a", "", "ab", 2, 1, false, true},
        {"wider, arriving", "lph", "", "l", 0, 0, false, true},
        {"replaced", "", "omega", "ab", 0, 0, false, false},
        {"replaced, arriving", "a", "1", "et", 1, 2, false, true},
        {"back to the filter shown", "ab", "abc", "ab", 0, 0, false, true},
        {"unsorted", "", "", "", 0, -1, false, true},
        {"unsorted, filtered", "", "", "ab", 0, -1, true, true},
        {"unsorted, cleared", "ab", "", "", 0, -1, false, true},
        {"unsorted, narrower", "a", "", "ab", 2, -1, false, true},
        {"sorted, then unsorted", "", "", "", 0, -1, false, true, 1},
        {"sorted and filtered, then unsorted", "ab", "", "", 0, -1, true, true, 0},
        {"unsorted, then sorted", "", "", "", 0, 2, true, true, -1},
        {"unsorted and filtered, then sorted", "b", "", "", 0, 1, false, true, -1},
        {"unsorted, then sorted and filtered", "", "", "et", 1, 0, false, true, -1},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << (row.from == kSameColumn ? row.column : row.from)
                                << QString::fromLatin1(row.start)
                                << QString::fromLatin1(row.replaced)
                                << QString::fromLatin1(row.text)
                                << (row.category ? QVariant(row.category) : QVariant())
                                << row.column << row.descending << row.arriving;
}

void ResultsFilterModelTest::showsWhatAPlainFilterShows() {
    QFETCH(int, from);
    QFETCH(QString, start);
    QFETCH(QString, replaced);
    QFETCH(QString, text);
    QFETCH(QVariant, category);
    QFETCH(int, column);
    QFETCH(bool, descending);
    QFETCH(bool, arriving);
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    QStandardItemModel source(0, 3);
    appendRows(source, arriving ? kRows / 2 : kRows);
    ResultsFilterModel rows;
    rows.setSourceModel(&source);
    rows.sort(from, order);
    rows.setText(start);
    // The first sort may still be on its worker when the filter is done.
    QTRY_VERIFY(!rows.isFiltering() && !rows.isSorting());
    // From here on a turn weighs a few hundred rows, and texts sort in runs
    // of 700 rows, merged, as they do over millions.
    rows.setMsPerTurn(0);
    rows.setMaxKeptRows(1400);
    const PlainFilter shownFirst(&source, start, {}, from, order);
    QCOMPARE(keys(rows), keys(shownFirst.text));
    // The current row, say, stays on its row while it is shown.
    const QPersistentModelIndex current = rows.index(qMin(10, rows.rowCount() - 1), 1);
    const QString currentKey = current.sibling(current.row(), 0).data().toString();
    auto staysOnItsRow = [&](const QStringList& shown) {
        return shown.contains(currentKey)
                   ? current.isValid() && current.column() == 1 &&
                         current.sibling(current.row(), 0).data().toString() == currentKey
                   : !current.isValid();
    };
    rows.sort(column, order);
    const PlainFilter before(&source, start, {}, column, order);
    const PlainFilter after(&source, text, category, column, order);
    // A sort is worked out while rows arrive: until it is done the rows keep
    // their order, arrivals in their places.
    while (rows.isSorting()) {
        QCOMPARE(keys(rows), keys(shownFirst.text));
        if (arriving && source.rowCount() < kRows)
            appendRows(source, kArriving);
        QCoreApplication::processEvents();
    }
    QCOMPARE(keys(rows), keys(before.text));
    QVERIFY(staysOnItsRow(keys(rows)));

    QSignalSpy filtering(&rows, &ResultsFilterModel::filteringChanged);
    if (!replaced.isEmpty()) {
        rows.setText(replaced);
        QVERIFY(rows.isFiltering());
        QCoreApplication::processEvents();
        QVERIFY(rows.isFiltering());
    }
    rows.setText(text);
    rows.setCategory(category);
    const bool works = start != text || category.isValid();
    // Every row needs no weighing.
    QCOMPARE(rows.isFiltering(), works && (!text.isEmpty() || category.isValid()));
    // Until the new filter is done the rows shown are the old filter's,
    // arrivals included.
    while (rows.isFiltering()) {
        QCOMPARE(keys(rows), keys(before.text));
        if (arriving && source.rowCount() < kRows)
            appendRows(source, kArriving);
        QCoreApplication::processEvents();
    }
    if (arriving)
        appendRows(source, kRows + kArriving - source.rowCount());
    QCOMPARE(keys(rows), keys(after.text));
    QVERIFY(keys(rows).size() < source.rowCount() || (text.isEmpty() && !category.isValid()));
    QVERIFY(staysOnItsRow(keys(rows)));
    // Unsorted, no order is kept per row.
    QCOMPARE(rows.isSorted(), column >= 0);
    // Told once that it filters and once that it is done, when it had work.
    QCOMPARE(filtering.count(), works || !replaced.isEmpty() ? 2 : 0);
    // Each row shown maps back to its source row.
    for (int row = 0; row < rows.rowCount(); ++row)
        QCOMPARE(rows.mapFromSource(rows.mapToSource(rows.index(row, 1))), rows.index(row, 1));
}

// The count beside the filter says so while a new filter or sort is worked
// out, and the selection stays on its row when that row is still shown.
void ResultsFilterModelTest::countSaysWhileItFilters() {
    auto* source = new QStandardItemModel(0, 3);
    appendRows(*source, kRows);
    ResultsWindow window(QStringLiteral("frmResults"), QStringLiteral("gridResults"), source);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ResultsFilterModel* rows = window.shownRows();
    rows->setMsPerTurn(0);
    const QModelIndex chosen = rows->index(10, 0);
    const QString key = chosen.data().toString();
    const QString word = rows->index(10, 1).data().toString();
    window.table()->setCurrentIndex(chosen);
    auto* count = window.findChild<QLabel*>(QStringLiteral("lblRows"));
    QCOMPARE(count->text(), QStringLiteral("3,000 rows"));
    QString whileFiltering;
    connect(rows, &ResultsFilterModel::filteringChanged, &window, [&](bool on) {
        if (on)
            whileFiltering = count->text();
    });
    window.findChild<QLineEdit*>(QStringLiteral("txtFilter"))->setText(word);
    QTRY_COMPARE(whileFiltering, QStringLiteral("3,000 rows, filtering\u2026"));
    QTRY_VERIFY(!rows->isFiltering());
    QCOMPARE(count->text(),
             QStringLiteral("%1 of 3,000 rows").arg(CountText::number(rows->rowCount())));
    QCOMPARE(window.table()->currentIndex().data().toString(), key);
    // And while a sort is worked out.
    window.table()->sortByColumn(2, Qt::DescendingOrder);
    QVERIFY(rows->isSorting());
    QCOMPARE(
        count->text(),
        QStringLiteral("%1 of 3,000 rows, sorting\u2026").arg(CountText::number(rows->rowCount())));
    QTRY_VERIFY(!rows->isSorting());
    QCOMPARE(count->text(),
             QStringLiteral("%1 of 3,000 rows").arg(CountText::number(rows->rowCount())));
    QCOMPARE(window.table()->currentIndex().data().toString(), key);
}

QTEST_MAIN(ResultsFilterModelTest)
void ResultsFilterModelTest::aColumnInTheRowsOwnOrderIsNotSorted() {
    // A source whose rows stand in its first column's order (the Problems
    // window's file order over millions of rows): a window over it shows
    // them as they are, without asking a row for its sort value; here the
    // sort values are scrambled, so any sort would show.
    struct InOrder : QStandardItemModel {
        mutable int sortValuesAsked = 0;
        QVariant data(const QModelIndex& index, int role) const override {
            sortValuesAsked += role == ResultsFilterModel::SortRole ? 1 : 0;
            return QStandardItemModel::data(index, role);
        }
        QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
            if (orientation == Qt::Horizontal && role == ResultsFilterModel::SourceOrderRole)
                return section == 0;
            return QStandardItemModel::headerData(section, orientation, role);
        }
    };
    // The window keeps its source.
    auto* source = new InOrder;
    appendRows(*source, 50);
    ResultsWindow window(QStringLiteral("frmResults"), QStringLiteral("gridResults"), source);
    QCOMPARE(source->sortValuesAsked, 0);
    QStringList inOrder;
    for (int row = 0; row < 50; ++row)
        inOrder.append(QStringLiteral("R%1").arg(row));
    QCOMPARE(keys(*window.shownRows()), inOrder);
    // The other way round it is sorted.
    window.table()->sortByColumn(0, Qt::DescendingOrder);
    const PlainFilter plain(source, QString(), QVariant(), 0, Qt::DescendingOrder);
    QCOMPARE(keys(*window.shownRows()), keys(plain.text));
    QVERIFY(keys(*window.shownRows()) != QStringList(inOrder.rbegin(), inOrder.rend()));
}

void ResultsFilterModelTest::aFilterWithinAnotherIsKnownSo() {
    // A new filter within the one shown weighs only the rows shown, and one
    // that holds it only the others: claiming either wrongly loses rows.
    const struct {
        const char* text;
        int category; // 0: none
        const char* otherText;
        int otherCategory;
        bool within;
    } cases[] = {
        {"abba", 0, "AB", 0, true},  // more text, case ignored
        {"ab", 0, "abba", 0, false}, // less text
        {"ab", 2, "ab", 0, true},    // a category added
        {"ab", 0, "ab", 2, false},   // a category taken away
        {"ab", 3, "ab", 2, false},   // another category
        {"", 0, "", 0, true},        // both every row
        {"xab", 2, "ab", 2, true},
    };
    auto filter = [](const char* text, int category) {
        return ResultsRowFilter{QString::fromLatin1(text),
                                category ? QVariant(category) : QVariant()};
    };
    for (const auto& c : cases)
        QVERIFY2(filter(c.text, c.category).within(filter(c.otherText, c.otherCategory)) ==
                     c.within,
                 c.text);
}

// A long order keeps no rank: the few rows a sort's persistent cells stand
// on are found by looking along it, as the rank would have found them.
void ResultsFilterModelTest::aSortWithoutItsRankFindsRows() {
    std::vector<int> order(kRows);
    for (int row = 0; row < kRows; ++row)
        order[std::size_t(row)] = (row * 7919) % kRows;
    ResultsRowOrder looked;
    looked.take(nullptr, true, 0, Qt::AscendingOrder, order, {});
    // Two cells of one row, and a row the order lacks.
    const std::vector<int> asked = {0, 1, 2999, 1234, kRows + 5, 1234};
    std::vector<int> expected;
    for (const int source : asked) {
        const auto at = std::find(order.begin(), order.end(), source);
        expected.push_back(at == order.end() ? -1 : int(at - order.begin()));
    }
    QCOMPARE(looked.sortedRowsOf(asked), expected);
    QCOMPARE(looked.sortedRowOf(1234), expected[3]);
}

#include "ResultsFilterModelTest.moc"

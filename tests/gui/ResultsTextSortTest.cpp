// A sort by texts that the source lets workers read (ResultsSortSource): the
// rows stand as a plain sorting proxy puts them, ascending and descending and
// from an order of their own, the texts read on workers and not a slice per
// turn; a reader that stops short, or texts too many different ones, leave
// the sort to the slices, with the same rows in the end. Whole numbers that
// workers may read sort there too, equal ones in the order sorted from.
#include "gui/results/ResultsTextSort.h"

#include "GuiTest.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsSortSource.h"

#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTest>
#include <atomic>

class ResultsTextSortTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { GuiTest::initTestCase(); }
    void sortsAsAPlainSort_data();
    void sortsAsAPlainSort();
    void tooManyTextsAreLeftToTheSlices();
};

namespace {

constexpr int kRows = 3000;
const char* const kWords[] = {"alpha", "Beta", "gamma", "ABBA", "", "abacus", "Omega"};

// Rows of a key sorting by a scrambled number that repeats, a word that
// repeats, and a number as text; columns 1 and 2 read on workers from a copy
// of their texts, column 0 from a copy of its numbers.
class TextSource : public QStandardItemModel, public ResultsSortSource {
public:
    TextSource()
        : QStandardItemModel(0, 3) {
        for (int row = 0; row < kRows; ++row) {
            auto* key = new QStandardItem(QStringLiteral("R%1").arg(row));
            numbers_.push_back((row * 7919) % 10007 / 4);
            key->setData(numbers_.back(), ResultsFilterModel::SortRole);
            const QStringList texts{QString::fromLatin1(kWords[(row * 13) % 7]),
                                    QString::number((row * 31) % 977)};
            texts_.push_back(texts);
            appendRow({key, new QStandardItem(texts[0]), new QStandardItem(texts[1])});
        }
    }

    TextReader textReader(int column) const override {
        if (column == 0)
            return {};
        return [texts = texts_, column, reads = reads_, shortBy = shortBy_](int first, int last,
                                                                            const TakeText& take) {
            ++*reads;
            for (int row = first; row <= last - shortBy; ++row)
                if (!take(texts[std::size_t(row)][column - 1]))
                    return;
        };
    }

    NumberReader numberReader(int column) const override {
        if (column != 0)
            return {};
        return [numbers = numbers_, reads = reads_](int first, int last, qint64* values) {
            ++*reads;
            std::copy(numbers.begin() + first, numbers.begin() + last + 1, values);
        };
    }

    // How many times a reader was called.
    std::shared_ptr<std::atomic<int>> reads_ = std::make_shared<std::atomic<int>>(0);
    // Rows each reading leaves out.
    int shortBy_ = 0;

private:
    std::vector<QStringList> texts_;
    std::vector<qint64> numbers_;
};

QStringList keys(const QAbstractItemModel& rows) {
    QStringList shown;
    for (int row = 0; row < rows.rowCount(); ++row)
        shown.append(rows.index(row, 0).data().toString());
    return shown;
}

QStringList plainSort(QAbstractItemModel& source, int from, int column, Qt::SortOrder order) {
    // The key sorts by its number, the others by their texts.
    const auto roleOf = [](int sorted) {
        return sorted == 0 ? int(ResultsFilterModel::SortRole) : int(Qt::DisplayRole);
    };
    QSortFilterProxyModel first;
    first.setSourceModel(&source);
    first.setSortRole(roleOf(from));
    first.sort(from, order);
    QSortFilterProxyModel then;
    then.setSourceModel(&first);
    then.setSortRole(roleOf(column));
    then.sort(column, order);
    return keys(then);
}

} // namespace

void ResultsTextSortTest::sortsAsAPlainSort_data() {
    QTest::addColumn<int>("from"); // sorted by first (-1: the source's order)
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<int>("shortBy"); // rows a reader leaves out: sorted in slices
    QTest::newRow("words") << -1 << 1 << false << 0;
    QTest::newRow("words, descending") << -1 << 1 << true << 0;
    QTest::newRow("numbers as text, from the keys' order") << 0 << 2 << false << 0;
    QTest::newRow("words, from the keys' order, descending") << 0 << 1 << true << 0;
    QTest::newRow("reader stops short") << 0 << 1 << false << 1;
    QTest::newRow("numbers") << -1 << 0 << false << 0;
    QTest::newRow("numbers, from the words' order, descending") << 1 << 0 << true << 0;
}

void ResultsTextSortTest::sortsAsAPlainSort() {
    QFETCH(int, from);
    QFETCH(int, column);
    QFETCH(bool, descending);
    QFETCH(int, shortBy);
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    TextSource source;
    source.shortBy_ = shortBy;
    ResultsFilterModel rows;
    rows.setSourceModel(&source);
    // Every sort on a worker, however few rows.
    rows.setMsPerTurn(0);
    rows.sort(from, order);
    QTRY_VERIFY(!rows.isSorting());
    const int readsBefore = *source.reads_;
    rows.sort(column, order);
    QTRY_VERIFY(!rows.isSorting());
    QCOMPARE(keys(rows), plainSort(source, from, column, order));
    QVERIFY(*source.reads_ > readsBefore);
    // Each row shown maps back to its source row.
    for (int row = 0; row < rows.rowCount(); row += 97)
        QCOMPARE(rows.mapFromSource(rows.mapToSource(rows.index(row, 1))), rows.index(row, 1));
}

void ResultsTextSortTest::tooManyTextsAreLeftToTheSlices() {
    const int count = ResultsTextSort::kMaxDistinct + 1;
    const ResultsSortSource::TextReader read = [](int first, int last,
                                                  const ResultsSortSource::TakeText& take) {
        for (int row = first; row <= last; ++row)
            if (!take(QString::number(row)))
                return;
    };
    std::vector<int> order;
    std::vector<int> rank;
    const std::atomic<bool> cancelled(false);
    QCOMPARE(ResultsTextSort::sort(read, count, {}, false, 1, cancelled, order, rank),
             ResultsTextSort::Result::TooVaried);
    // One text fewer: sorted.
    QCOMPARE(ResultsTextSort::sort(read, count - 1, {}, true, 1, cancelled, order, rank),
             ResultsTextSort::Result::Sorted);
    QCOMPARE(order.front(), 99999); // "99999" is the greatest
    QCOMPARE(rank[99999], 0);
}

QTEST_MAIN(ResultsTextSortTest)
#include "ResultsTextSortTest.moc"

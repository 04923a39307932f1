#include "core/common/PackedRows.h"

#include <QTest>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using qm::PackedRows;

Q_DECLARE_METATYPE(std::vector<std::int64_t>)

// Rows packed by blocks read back as they were written, whatever the spread
// of each column's values, across blocks and the rows not packed yet, and a
// snapshot keeps what it saw.
class PackedRowsTest : public QObject {
    Q_OBJECT

private slots:
    void readsBackWhatWasWritten_data() {
        // Each column's values, picked from with a seeded generator.
        QTest::addColumn<std::vector<std::int64_t>>("choices");
        constexpr std::int64_t kLow = std::numeric_limits<std::int64_t>::min();
        constexpr std::int64_t kHigh = std::numeric_limits<std::int64_t>::max();
        QTest::newRow("one value") << std::vector<std::int64_t>{-1};
        QTest::newRow("a bit") << std::vector<std::int64_t>{0, 1};
        QTest::newRow("negative") << std::vector<std::int64_t>{-5, -3, 7};
        QTest::newRow("cents") << std::vector<std::int64_t>{0, 99, 60000, 1234567};
        QTest::newRow("dates") << std::vector<std::int64_t>{0, 20030301, 20031231};
        QTest::newRow("the whole range") << std::vector<std::int64_t>{kLow, 0, kHigh};
        QTest::newRow("63 bits") << std::vector<std::int64_t>{0, kHigh};
    }
    void readsBackWhatWasWritten() {
        QFETCH(std::vector<std::int64_t>, choices);
        constexpr int kColumns = 3;
        const std::size_t count = 3 * PackedRows::kBlockRows + 17;
        std::mt19937_64 random(7);
        std::vector<std::int64_t> written;
        PackedRows rows(kColumns);
        PackedRows seen(kColumns);
        for (std::size_t row = 0; row < count; ++row) {
            std::int64_t values[kColumns];
            for (std::int64_t& value : values)
                value = choices[random() % choices.size()];
            // Column 2 ascends, as node numbers do.
            values[2] = std::int64_t(row) * 3;
            rows.append(values);
            written.insert(written.end(), values, values + kColumns);
            if (row == PackedRows::kBlockRows + 5)
                seen = rows;
        }
        QCOMPARE(rows.size(), count);
        for (std::size_t row = 0; row < count; ++row)
            for (int column = 0; column < kColumns; ++column)
                QCOMPARE(rows.at(row, column), written[row * kColumns + std::size_t(column)]);
        std::vector<std::int64_t> read(count - 100);
        rows.read(1, 100, read.size(), read.data());
        for (std::size_t i = 0; i < read.size(); ++i)
            QCOMPARE(read[i], written[(100 + i) * kColumns + 1]);
        QCOMPARE(seen.size(), PackedRows::kBlockRows + 6);
        QCOMPARE(seen.at(seen.size() - 1, 0), written[(seen.size() - 1) * kColumns]);
        rows.clear();
        QVERIFY(rows.empty());
    }

    // Rows that differ little take a few bits each.
    void smallSpreadsTakeFewBytes() {
        PackedRows rows(2);
        for (std::int64_t row = 0; row < 1000000; ++row) {
            const std::int64_t values[2] = {row, 7};
            rows.append(values);
        }
        QVERIFY2(rows.memoryBytes() < 2 * 1000000, std::to_string(rows.memoryBytes()).c_str());
    }
};

QTEST_GUILESS_MAIN(PackedRowsTest)
#include "PackedRowsTest.moc"

#include "core/lines/LineIndex.h"

#include "TestWorkspace.h"
#include "core/check/ProblemStore.h"
#include "core/common/RecordLine.h"
#include "core/lines/ProblemLineIndex.h"

#include <QTest>
#include <thread>

using qm::LineIndex;
using qm::SequentialFile;

Q_DECLARE_METATYPE(LineIndex::Kind)

// Lines found by number and by byte from a sparse index, as the engine reads
// them, whatever the index's spacing.
class LineIndexTest : public QObject {
    Q_OBJECT

    TestWorkspace ws;

    static std::string record(const std::string& type) {
        std::string line = type + "0000";
        line.resize(qm::kRecordLength, 'x');
        return line;
    }

    struct Expected {
        std::string bytes;
        std::string type;
        LineIndex::Kind kind;
    };

private slots:
    void linesByNumberAndByte_data() {
        QTest::addColumn<qlonglong>("spacing");
        QTest::newRow("every line") << 1LL;
        QTest::newRow("every third") << 3LL;
        QTest::newRow("default") << qlonglong(LineIndex::kDefaultSpacing);
    }
    void linesByNumberAndByte() {
        QFETCH(qlonglong, spacing);
        using K = LineIndex::Kind;
        // Every kind of line the check tells apart; the last without a line end.
        const std::vector<Expected> lines{
            {record("AA0"), "AA0", K::Record},
            {record("BA0"), "BA0", K::Record},
            {"short", "sho", K::ShortLine},
            {"\n" + record("CA0"), "CA0", K::Record},
            {record("QQ0"), "QQ0", K::UnknownRecordType},
            {record("ZA0"), "ZA0", K::Record},
            {record("DA0"), "DA0", K::RecordAfterFileTrailer},
            {"cut", "cut", K::CutLastLine},
        };
        std::string file;
        std::vector<std::int64_t> starts;
        for (const Expected& line : lines) {
            starts.push_back(std::int64_t(file.size()) + 1);
            file += line.bytes + (&line == &lines.back() ? "" : "\r\n");
        }
        ws.write("lines.nsf", file);
        SequentialFile reader;
        QVERIFY(reader.open(ws.path("lines.nsf")));
        LineIndex index;
        QVERIFY(index.build(reader, nullptr, nullptr, spacing));
        QCOMPARE(index.lineCount(), std::int64_t(lines.size()));
        QCOMPARE(index.fileTrailerLine(), std::int64_t(6));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::int64_t number = std::int64_t(i) + 1;
            LineIndex::Line line;
            QVERIFY(index.read(number, line));
            QCOMPARE(line.number, number);
            QCOMPARE(line.position, starts[i]);
            QCOMPARE(line.bytes, lines[i].bytes);
            QCOMPARE(std::string(line.type()), lines[i].type);
            QCOMPARE(line.kind, lines[i].kind);
            // Its first byte, its last and its line end are all in it.
            QCOMPARE(index.lineAt(starts[i]), number);
            QCOMPARE(index.lineAt(starts[i] + std::int64_t(lines[i].bytes.size()) - 1), number);
            if (i + 1 < lines.size())
                QCOMPARE(index.lineAt(starts[i + 1] - 1), number);
        }
        LineIndex::Line none;
        QVERIFY(!index.read(0, none));
        QVERIFY(!index.read(std::int64_t(lines.size()) + 1, none));
        QCOMPARE(index.lineAt(0), std::int64_t(0));
        QCOMPARE(index.lineAt(std::int64_t(file.size()) + 1), std::int64_t(0));
        // A stretch that runs past the end stops at the last line.
        std::vector<std::int64_t> seen;
        QCOMPARE(index.forEach(6, 100,
                               [&seen](const LineIndex::Line& line) {
                                   seen.push_back(line.number);
                                   return true;
                               }),
                 std::int64_t(3));
        QCOMPARE(seen, (std::vector<std::int64_t>{6, 7, 8}));
    }

    void emptyFileAndCancel() {
        ws.write("empty.nsf", "");
        SequentialFile reader;
        QVERIFY(reader.open(ws.path("empty.nsf")));
        LineIndex index;
        QVERIFY(index.build(reader, nullptr));
        QCOMPARE(index.lineCount(), std::int64_t(0));
        LineIndex::Line line;
        QVERIFY(!index.read(1, line));
        QCOMPARE(index.lineAt(1), std::int64_t(0));

        // A scan cancelled before its end leaves no index behind.
        std::string big;
        for (int i = 0; i < 10000; ++i)
            big += record("CA0") + "\r\n";
        ws.write("big.nsf", big);
        QVERIFY(reader.open(ws.path("big.nsf")));
        qm::ProgressControl control;
        control.cancel = true;
        QVERIFY(!index.build(reader, nullptr, &control));
        QCOMPARE(index.lineCount(), std::int64_t(0));
        QVERIFY(!index.read(1, line));
    }

    // Lines read while another thread scans: every line shown is the file's
    // at its number and byte, at the first, a middle and the last line, and
    // across the segments the starts are kept in.
    void linesReadWhileScanned() {
        constexpr std::int64_t kLines = 12000;
        std::string big;
        std::vector<std::int64_t> starts;
        for (std::int64_t i = 0; i < kLines; ++i) {
            starts.push_back(std::int64_t(big.size()) + 1);
            std::string line = record(i % 100 == 0 ? "CA0" : "DA0");
            const std::string number = std::to_string(i);
            big += line.replace(3, number.size(), number) + "\r\n";
        }
        ws.write("scanned.nsf", big);
        SequentialFile reader;
        QVERIFY(reader.open(ws.path("scanned.nsf")));
        LineIndex index;
        QVERIFY(index.open(reader, nullptr, 1));
        QCOMPARE(index.lineCount(), std::int64_t(0));
        const auto expect = [&](std::int64_t number) {
            LineIndex::Line line;
            return index.read(number, line) && line.position == starts[std::size_t(number - 1)] &&
                   line.bytes == big.substr(std::size_t(line.position - 1), qm::kRecordLength) &&
                   index.lineAt(line.position + 5) == number;
        };
        // Held at a stretch: the lines before it read, those after not yet.
        QVERIFY(index.scan(nullptr, starts[5000]));
        QVERIFY(!index.isComplete());
        QCOMPARE(index.lineCount(), std::int64_t(5000));
        QVERIFY(expect(1) && expect(2500) && expect(5000));
        LineIndex::Line line;
        QVERIFY(!index.read(5001, line));
        QCOMPARE(index.lineAt(starts[5000]), std::int64_t(0));
        // The rest scanned on a thread while this one reads what is published.
        std::thread scanning([&index] { index.scan(); });
        bool good = true;
        while (good && !index.isComplete()) {
            const std::int64_t published = index.lineCount();
            good = expect(published) && expect((published + 1) / 2);
        }
        scanning.join();
        QVERIFY(good);
        QCOMPARE(index.lineCount(), kLines);
        for (const std::int64_t number : {std::int64_t(1), kLines / 2, kLines - 4096, kLines})
            QVERIFY2(expect(number), qPrintable(QString::number(number)));
        QCOMPARE(index.lineAt(std::int64_t(big.size())), kLines);
    }

    // The check's rows by the lines they name, read from the few chunks of
    // the store that can hold them: the same as every row looked at, where
    // rows run a little out of line order and some name no line.
    void problemRowsByLine() {
        auto store = std::make_shared<qm::ProblemStore>(nullptr);
        std::vector<qm::ProblemLineIndex::LineRow> all;
        for (std::int64_t row = 0; row < 2000; ++row) {
            qm::ProblemRow problem;
            problem.problem.kind = qm::Problem::Kind::NoXa0;
            // Lines rise, a claim's rows three lines back, every seventh none.
            problem.problem.line = row % 7 == 0 ? 0 : row + 10 - (row % 3) * 3;
            store->append(problem, 0, -1);
            if (problem.problem.line > 0)
                all.emplace_back(problem.problem.line, row);
        }
        std::sort(all.begin(), all.end());
        const auto index = qm::ProblemLineIndex::build(store);
        QVERIFY(index);
        for (const auto& [first, last] : std::vector<std::pair<std::int64_t, std::int64_t>>{
                 {1, 5}, {10, 10}, {250, 270}, {500, 1800}, {2000, 5000}, {9000, 9999}}) {
            std::vector<qm::ProblemLineIndex::LineRow> expected;
            for (const auto& lineRow : all)
                if (lineRow.first >= first && lineRow.first <= last)
                    expected.push_back(lineRow);
            QCOMPARE(index->rowsIn(first, last), expected);
        }
    }
};

QTEST_GUILESS_MAIN(LineIndexTest)
#include "LineIndexTest.moc"

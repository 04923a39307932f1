#include "core/common/FileText.h"

#include "core/common/TextUtil.h"
#include "core/report/JsonWriter.h"
#include "core/report/ProblemSpool.h"
#include "core/report/SpoolBuffer.h"

#include <QTest>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace qm;

// The texts made of file bytes pass plain runs over eight bytes at a time:
// whatever byte stands wherever in a text, it must come out as it does alone.
class FileTextTest : public QObject {
    Q_OBJECT

    using Convert = std::function<std::string(std::string_view)>;

private slots:
    void oneByteAnywhere_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("printable") << 0;
        QTest::newRow("utf8") << 1;
        QTest::newRow("json string") << 2;
        QTest::newRow("json string of file bytes") << 3;
        QTest::newRow("json writer's file string") << 4;
    }

    void oneByteAnywhere() {
        QFETCH(int, kind);
        const Convert convert[] = {
            [](std::string_view bytes) { return FileText::toPrintable(bytes); },
            [](std::string_view bytes) { return FileText::toUtf8(bytes); },
            [](std::string_view bytes) {
                std::string out;
                JsonWriter::appendString(out, bytes);
                return out.substr(1, out.size() - 2); // without its quotes
            },
            [](std::string_view bytes) {
                std::string out;
                JsonWriter::appendFileString(out, bytes);
                return out.substr(1, out.size() - 2);
            },
            [](std::string_view bytes) {
                std::ostringstream out;
                JsonWriter(out).fileString(bytes).flush();
                return out.str().substr(1, out.str().size() - 2);
            }};
        const Convert& text = convert[kind];
        const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWX";
        // Texts shorter than a word, a word, and words with a tail.
        for (const std::size_t length : {0, 6, 7, 8, 15, 24}) {
            const std::string plain = letters.substr(0, length);
            QCOMPARE(text(plain), plain);
            oneByteIn(text, plain);
        }
    }

    // Blanks around a text of any length go, however they fall about words
    // of eight bytes; blanks within stay.
    void trimSpacesAnywhere() {
        for (std::size_t before = 0; before < 19; ++before)
            for (std::size_t length = 0; length < 12; ++length)
                for (std::size_t after = 0; after < 19; ++after) {
                    std::string body(length, 'x');
                    if (length > 2)
                        body[length / 2] = ' ';
                    const std::string text =
                        std::string(before, ' ') + body + std::string(after, ' ');
                    if (trimSpaces(text) != body)
                        QFAIL(qPrintable(QStringLiteral("%1 blanks, %2 characters, %3 blanks")
                                             .arg(before)
                                             .arg(length)
                                             .arg(after)));
                }
    }

    // Numbers in JSON as std::to_string writes them, at every number of digits.
    void jsonNumbers() {
        std::vector<std::int64_t> numbers{0, INT64_MIN, INT64_MAX, INT64_MIN + 1};
        for (std::int64_t power = 1; power <= INT64_MAX / 10; power *= 10)
            for (const std::int64_t n : {power, power - 1, 10 * power - 1, -power, 7 * power + 3})
                numbers.push_back(n);
        std::ostringstream out;
        std::string expected = "[";
        {
            JsonWriter json(out);
            json.beginArray();
            for (const std::int64_t n : numbers) {
                json.value(n);
                expected += std::to_string(n) + ',';
            }
            json.endArray();
        }
        expected.back() = ']';
        QCOMPARE(QString::fromStdString(out.str()), QString::fromStdString(expected));
    }

    // What a report keeps for later comes back whole and in order, however
    // its writes fall about the move to its file: small ones, large ones,
    // and one that crosses the move.
    void spoolKeepsEverythingInOrder() {
        SpoolBuffer spool;
        std::ostream out(&spool);
        std::string expected;
        for (int i = 0; expected.size() < (std::size_t(9) << 20); ++i) {
            const std::size_t size = i % 7 == 0 ? std::size_t(40000 + i) : std::size_t(i % 300);
            const std::string piece(size, static_cast<char>('a' + i % 26));
            out.write(piece.data(), std::streamsize(piece.size()));
            expected += piece;
        }
        std::ostringstream copy;
        QVERIFY(spool.copyTo(copy));
        QVERIFY(copy.str() == expected);
    }

    // Problem rows kept as their differences come back as they were: every
    // member, steps back and far, values long and short, past the spool's
    // move to its file and across the ends of its blocks.
    void problemSpoolKeepsEveryRow() {
        ProblemSpool spool;
        std::vector<ProblemSpool::Row> rows;
        std::vector<std::string> values;
        for (std::int64_t i = 0; i < 400000; ++i) {
            ProblemSpool::Row row;
            Problem& p = row.problem;
            p.kind = static_cast<Problem::Kind>(i % Problem::kKindCount);
            p.scope = static_cast<Problem::Scope>(i % 3);
            p.flags = std::uint8_t(i % 5);
            p.recordType = std::int8_t(i % 9 - 1);
            p.occurrence = std::int16_t(i % 70000 - 2);
            p.field = std::int16_t(-(i % 4));
            p.ruleSeverity = static_cast<Problem::Severity>(i % 3);
            p.rule = std::int32_t(i % 11 == 0 ? -1 : i * 7);
            p.batch = i / 250;
            p.claim = i % 13 == 0 ? -1 : i;
            p.position = i % 17 == 0 ? INT64_MAX - i : 322 * i + 1;
            p.line = i % 19 == 0 ? 0 : i + 3;
            p.found = i % 23 == 0 ? INT64_MIN + i : -i;
            p.expected = i * i;
            row.batchPosition = i % 29 == 0 ? -1 : 80000 * (i / 250);
            row.claimPosition = 322 * i;
            values.push_back(std::string(i % 9973 == 0 ? 70000 : std::size_t(i % 12),
                                         static_cast<char>('a' + i % 26)));
            spool.keep(p, row.batchPosition, row.claimPosition, values.back());
            rows.push_back(row);
        }
        std::size_t at = 0;
        bool same = true;
        QVERIFY(spool.forEach([&](const ProblemSpool::Row& row) {
            if (at >= rows.size()) {
                same = false;
                return;
            }
            const ProblemSpool::Row& was = rows[at];
            const Problem &p = row.problem, &q = was.problem;
            same = same && p.kind == q.kind && p.scope == q.scope && p.flags == q.flags &&
                   p.recordType == q.recordType && p.occurrence == q.occurrence &&
                   p.field == q.field && p.ruleSeverity == q.ruleSeverity && p.rule == q.rule &&
                   p.batch == q.batch && p.claim == q.claim && p.position == q.position &&
                   p.line == q.line && p.found == q.found && p.expected == q.expected &&
                   row.batchPosition == was.batchPosition &&
                   row.claimPosition == was.claimPosition && row.value == values[at];
            ++at;
        }));
        QVERIFY(same);
        QCOMPARE(at, rows.size());
    }

private:
    static void oneByteIn(const Convert& text, const std::string& plain) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string alone(1, static_cast<char>(byte));
            const std::string expected = text(alone);
            for (std::size_t at = 0; at <= plain.size(); ++at) {
                const std::string bytes = plain.substr(0, at) + alone + plain.substr(at);
                const std::string made = text(bytes);
                if (made != plain.substr(0, at) + expected + plain.substr(at))
                    QFAIL(qPrintable(QStringLiteral("byte 0x%1 at %2: %3")
                                         .arg(byte, 2, 16, QLatin1Char('0'))
                                         .arg(at)
                                         .arg(QString::fromStdString(made))));
                QCOMPARE(FileText::isAscii(bytes), byte < 0x80);
            }
        }
    }
};

QTEST_GUILESS_MAIN(FileTextTest)
#include "FileTextTest.moc"

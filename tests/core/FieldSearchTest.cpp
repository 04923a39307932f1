// The field search: how values match in every mode, what a query may name,
// the records a claim's form holds at its edges (blanks, short lines, more
// than 99 of a type, a record taking another's place), and the whole search
// against clicking every claim and scanning its form.
#include "core/search/FieldSearch.h"

#include "ClaimFileBuilder.h"
#include "GeneratedFiles.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/HeaderIndex.h"
#include "core/filetree/TreeBuilder.h"
#include "core/openfile/ClaimFileOpener.h"
#include "core/search/SearchPlan.h"

#include <QTest>
#include <unistd.h>

using namespace qm;
using Mode = SearchQuery::Mode;
Q_DECLARE_METATYPE(SearchQuery::Mode)

namespace {

// A query from a test table's mode and text (for Number, a comparison).
SearchQuery queryOf(Mode mode, const QString& text, std::string* error = nullptr) {
    SearchQuery query;
    query.mode = mode;
    query.text = text.toStdString();
    std::string ignored;
    if (mode == Mode::Number && !query.setComparison(query.text, error ? *error : ignored))
        query.text = "\x01"; // marks a comparison that did not read
    return query;
}

std::string describe(const ClaimHits& claim, const FieldHit& hit) {
    return claim.key() + " " + hit.node + " " + std::to_string(hit.field) + " [" + hit.value +
           "] " + std::to_string(hit.start) + "+" + std::to_string(hit.length);
}

// The hits of a search, described in order; summary when asked.
std::vector<std::string> search(OpenClaimFile& f, const SearchQuery& query,
                                FieldSearch::Options options = {},
                                FieldSearch::Summary* summary = nullptr) {
    SearchPlan plan;
    std::string error;
    if (!plan.prepare(query, f.layouts(), error))
        return {"error: " + error};
    std::vector<std::string> hits;
    const FieldSearch::Summary s =
        FieldSearch::run(f.file(), f.layouts(), plan, options, [&](ClaimHits&& claim) {
            for (const FieldHit& hit : claim.fields)
                hits.push_back(describe(claim, hit));
        });
    if (summary)
        *summary = s;
    return hits;
}

// The same by clicking every claim and testing every value its form shows.
std::vector<std::string> byClicks(OpenClaimFile& f, const SearchQuery& query) {
    ValueMatcher matcher;
    std::string error;
    if (!matcher.prepare(query, error))
        qFatal("%s", error.c_str());
    f.setTree(std::make_shared<const FileTree>(BuildTree(f.reader())));
    const FileTree& tree = *f.tree();
    std::vector<std::string> hits;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        const AssembledClaim claim = NodeClick(f, node);
        ClaimHits found;
        found.position = tree.position(node);
        for (const ClaimNode& formNode : claim.nodes) {
            const AssembledRecord* record = claim.record(formNode);
            for (std::size_t i = 0; record && i < record->fields.size(); ++i) {
                // Numbers compare in fields of the unit of the number typed
                // only, a whole number in money fields too (as dollars).
                const std::optional<NumberText::Unit> unit =
                    SearchPlan::unitOf(*claim.layout(*record), int(i));
                const bool asDollars =
                    query.ownUnit() == NumberText::Unit::Whole && unit == NumberText::Unit::Cents;
                if (query.mode == Mode::Number && unit != query.ownUnit() && !asDollars)
                    continue;
                std::size_t start = 0, length = 0;
                const std::string_view value = record->value(int(i));
                if (matcher.matches(value, start, length, unit.value_or(NumberText::Unit::Whole)))
                    hits.push_back(describe(found, {formNode.key, -1, int(i), std::string(value),
                                                    std::uint32_t(start), std::uint32_t(length)}));
            }
        }
    }
    return hits;
}

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

} // namespace

class FieldSearchTest : public QObject {
    Q_OBJECT

    // The test map with fields at the edges of a record line.
    static std::string edgeMap() {
        return TestWorkspace::testMap() + "CA0,06.0,BEYOND,10,X,321,330\n"
                                          "CA0,07.0,ACROSS,10,X,316,325\n"
                                          "BA1,03.0,LATE FIELD,5,X,100,104\n"
                                          "EA0,02.0,NOTE,10,X,10,19\n";
    }

    // One batch with a short BA1 line; a claim whose values have blanks
    // around them and run to the line's end; one with 101 FA0 records and
    // two EA0 records (EA0 does not repeat); a claim under another batch.
    void writeEdgeFile(TestWorkspace& ws) {
        ws.write("nsf0301.map", edgeMap());
        std::string ca0 = rec::ca0("PCN-EDGE", "  O BRIEN");
        ca0.replace(54, 8, "  001500"); // BIRTH DATE, a date field
        ca0.replace(315, 5, "ABCDE");   // ACROSS, cut by the line's end
        ClaimFileBuilder file;
        file.add(rec::aa0()).add(rec::ba0("TAXONE")).add("BA1XY").add(ca0);
        file.add(rec::xa0({}))
            .add(rec::ca0("PCN-MANY"))
            .add(ClaimFileBuilder::record("EA0", {{10, "FIRST"}}));
        for (int n = 1; n <= 101; ++n)
            file.add(rec::fa0(n % 100, 1000 + n));
        file.add(ClaimFileBuilder::record("EA0", {{10, "SECOND"}})).add(rec::ya0());
        file.add(rec::ba0("TAXTWO")).add(rec::ca0("PCN-LAST", "SMITH")).add(rec::ya0());
        file.add(rec::za0());
        ws.write("edge.nsf", file.bytes());
        QVERIFY(ws.open("edge.nsf"));
    }

private slots:
    // Numbers as people type them, in the units fields store them in.
    void typedNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("unit");
        QTest::addColumn<qlonglong>("in"); // -1: cannot be written in the unit
        const auto cents = int(NumberText::Unit::Cents), tenths = int(NumberText::Unit::Tenths),
                   date = int(NumberText::Unit::Date), whole = int(NumberText::Unit::Whole);
        QTest::newRow("a whole number as money") << "160" << cents << 16000LL;
        QTest::newRow("an amount") << "160.00" << cents << 16000LL;
        QTest::newRow("dollars and thousands") << "$1,600.50" << cents << 160050LL;
        QTest::newRow("below zero") << "-$0.05" << cents << -5LL;
        QTest::newRow("dollars in a whole number field") << "$160" << whole << -1LL;
        QTest::newRow("a fraction in a whole number field") << "160.50" << whole << -1LL;
        QTest::newRow("a whole amount in a whole number field") << "160.00" << whole << 160LL;
        QTest::newRow("tenths") << "1.5" << tenths << 15LL;
        QTest::newRow("finer than tenths") << "1.55" << tenths << -1LL;
        QTest::newRow("a date") << "2024-03-15" << date << 20240315LL;
        QTest::newRow("a date month first") << "03/15/2024" << date << 20240315LL;
        QTest::newRow("a date as stored") << "20240315" << date << 20240315LL;
        QTest::newRow("a number that is no date") << "160" << date << -1LL;
        QTest::newRow("a date as money") << "2024-03-15" << cents << -1LL;
    }

    void typedNumbers() {
        QFETCH(QString, typed);
        QFETCH(int, unit);
        QFETCH(qlonglong, in);
        const std::optional<NumberText> number = NumberText::parse(typed.toStdString());
        QVERIFY(number);
        const std::optional<std::int64_t> written = number->in(NumberText::Unit(unit));
        QCOMPARE(written ? qlonglong(*written) : -1LL, in);
    }

    void whatIsNoNumber_data() {
        QTest::addColumn<QString>("typed");
        for (const char* text : {"", "ten", "1,60", "16,00.5", "2024-02-30", "13/01/2024", "1.2.3",
                                 "$$5", "99999999999999999999"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void whatIsNoNumber() {
        QFETCH(QString, typed);
        QVERIFY(!NumberText::parse(typed.toStdString()));
    }

    void valuesMatch_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("start"); // -1: no match
        QTest::addColumn<int>("length");
        auto row = [](const char* name, Mode mode, const char* text, const char* value, int start,
                      int length) {
            QTest::newRow(name) << mode << QString::fromUtf8(text) << QByteArray(value) << start
                                << length;
        };
        row("contains ignores case", Mode::Contains, "mit", "  SMITH   ", 3, 3);
        row("contains: padding takes no part", Mode::Contains, "H ", "SMITH   ", -1, 0);
        row("contains: inner blanks count", Mode::Contains, "n d", "JOHN DOE  ", 3, 3);
        row("contains folds Latin-1", Mode::Contains, "é", "CAF\xC9", 3, 1);
        row("contains folds Windows-1252", Mode::Contains, "š", "\x8A", 0, 1);
        row("contains: ÿ is Ÿ", Mode::Contains, "ÿ", "\x9F", 0, 1);
        row("contains: euro sign", Mode::Contains, "€", "\x80", 0, 1);
        row("contains: ß has no capital", Mode::Contains, "SS", "\xDF", -1, 0);
        row("contains: no file character", Mode::Contains, "Ж", "ABC", -1, 0);
        row("exact without the blanks around", Mode::Exact, " O BRIEN ", "  O BRIEN  ", 2, 7);
        row("exact keeps case", Mode::Exact, "smith", "SMITH", -1, 0);
        row("exact empty: a blank value", Mode::Exact, "", "      ", 6, 0);
        row("exact empty: no value", Mode::Exact, "", "", 0, 0);
        row("regex anchors the trimmed value", Mode::Regex, "^SMITH$", "  SMITH   ", 2, 5);
        row("regex any character", Mode::Regex, "M.T", "SMITH", 1, 3);
        row("regex classes and counts", Mode::Regex, "[0-9]{3}-\\d+", "AB 123-45 X", 3, 6);
        row("regex ignoring case", Mode::Regex, "(?i)smith|jones", "JONES", 0, 5);
        row("regex lazy", Mode::Regex, "a+?", "aaa", 0, 1);
        row("regex prefers the first way", Mode::Regex, "a|ab", "ab", 0, 1);
        row("regex greedy", Mode::Regex, "a(b|c)*", "xabcbd", 1, 4);
        row("regex blank value", Mode::Regex, "^$", "    ", 4, 0);
        row("regex negated class", Mode::Regex, "[^A-Z]", "ABC1", 3, 1);
        row("regex escaped point", Mode::Regex, "\\.", "A.B", 1, 1);
        row("regex folds file characters", Mode::Regex, "(?i)É", "caf\xE9", 3, 1);
        row("regex optional group", Mode::Regex, "^(?:DR )?SMITH", "DR SMITH", 0, 8);
        row("regex empty loop: as Perl, the empty match", Mode::Regex, "(.?\?)+", "GALLOWAY", 0, 0);
        row("regex count after a letter", Mode::Regex, "MIL{2}", "77 MILL POND RD", 3, 4);
        row("regex offsets in file characters", Mode::Regex, "SMITH", "\x80\x8A SMITH", 3, 5);
        row("regex any character is one", Mode::Regex, "A.B",
            "A\x80"
            "B",
            0, 3);
        row("regex any character, a line feed too", Mode::Regex, "A.B", "A\nB", 0, 3);
        row("regex folds Windows-1252", Mode::Regex, "(?i)š", "X\x8A", 1, 1);
        row("regex: no file character", Mode::Regex, "Ж|ZZ", "ABC", -1, 0);
        row("number equal, zero-filled", Mode::Number, "=1500", "0001500", 0, 7);
        row("number less, signed", Mode::Number, "<0", "  -5 ", 2, 2);
        row("number greater is strict", Mode::Number, ">100", "100", -1, 0);
        row("number between", Mode::Number, "100..200", "  150", 2, 3);
        row("number plain is equal", Mode::Number, "7", "+7", 0, 2);
        row("number: blank is none", Mode::Number, "=0", "      ", -1, 0);
        row("number: fractions are not whole", Mode::Number, "=12", "12.50", -1, 0);
    }

    void valuesMatch() {
        QFETCH(Mode, mode);
        QFETCH(QString, text);
        QFETCH(QByteArray, value);
        QFETCH(int, start);
        QFETCH(int, length);
        ValueMatcher matcher;
        std::string error;
        QVERIFY2(matcher.prepare(queryOf(mode, text), error), error.c_str());
        std::size_t at = 99, n = 99;
        const std::string_view v(value.constData(), std::size_t(value.size()));
        QCOMPARE(matcher.matches(v, at, n), start >= 0);
        if (start >= 0) {
            QCOMPARE(int(at), start);
            QCOMPARE(int(n), length);
        }
        // A record holding the value may hold a match; one without never does.
        QVERIFY(!(start >= 0) || matcher.mayMatchWithin("XX" + std::string(v) + "YY"));
    }

    // A number search in a date field matches days of the calendar only.
    void dateFieldsMatchOnlyDays_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("match");
        QTest::newRow("a day") << QStringLiteral("20240101..20241231") << QByteArray("20240229")
                               << true;
        QTest::newRow("no day at all")
            << QStringLiteral("<20240101") << QByteArray("00000000") << false;
        QTest::newRow("a negative number")
            << QStringLiteral("<20240101") << QByteArray("-2024010") << false;
        QTest::newRow("no leap day")
            << QStringLiteral("20230101..20231231") << QByteArray("20230229") << false;
        QTest::newRow("no month 99")
            << QStringLiteral(">20240101") << QByteArray("99999999") << false;
    }

    void dateFieldsMatchOnlyDays() {
        QFETCH(QString, text);
        QFETCH(QByteArray, value);
        QFETCH(bool, match);
        ValueMatcher matcher;
        std::string error;
        QVERIFY2(matcher.prepare(queryOf(Mode::Number, text), error), error.c_str());
        std::size_t at = 0, n = 0;
        QCOMPARE(matcher.matches(value.toStdString(), at, n, NumberText::Unit::Date), match);
    }

    void queriesThatCannotRun_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, Mode mode, const QString& text, const char* type,
                      const char* field, const char* error) {
            QTest::newRow(name) << mode << text << QString::fromLatin1(type)
                                << QString::fromLatin1(field) << QString::fromLatin1(error);
        };
        const QString x = QStringLiteral("x");
        row("no text", Mode::Contains, {}, "", "", "no text to search for");
        row("open group", Mode::Regex, QStringLiteral("(a"), "", "", "missing )");
        row("close group", Mode::Regex, QStringLiteral("a)"), "", "", "unmatched )");
        row("open class", Mode::Regex, QStringLiteral("[a"), "", "", "missing ]");
        row("nothing to repeat", Mode::Regex, QStringLiteral("*a"), "", "", "nothing to repeat");
        row("repeated repetition", Mode::Regex, QStringLiteral("a**"), "", "", "repetition of a");
        row("unknown escape", Mode::Regex, QStringLiteral("\\q"), "", "", "unknown escape \\q");
        row("counts reversed", Mode::Regex, QStringLiteral("a{2,1}"), "", "", "m below n");
        row("counts too high", Mode::Regex, QStringLiteral("a{1001}"), "", "", "above 1000");
        row("unknown group", Mode::Regex, QStringLiteral("(?x)"), "", "", "unknown group");
        row("nested counts", Mode::Regex, QStringLiteral("(a{999}){999}"), "", "",
            "nested to over 1000");
        row("too large", Mode::Regex, QStringLiteral("(?i)\\pL{1000}"), "", "", "too large");
        row("too long", Mode::Regex, QString(4001, QLatin1Char('a')), "", "",
            "longer than 4000 characters");
        row("a count after +", Mode::Regex, QStringLiteral("MIL+{2}"), "", "", "repetition of a");
        row("a count after a count", Mode::Regex, QStringLiteral("MIL{1}{2}"), "", "",
            "repetition of a");
        row("counts of an empty group", Mode::Regex, QStringLiteral("(){1000}{1000}"), "", "",
            "repetition of a");
        row("single bytes", Mode::Regex, QStringLiteral("A\\CB"), "", "", "not supported");
        row("back-reference", Mode::Regex, QStringLiteral("(a)\\1"), "", "", "no back-references");
        row("look-ahead", Mode::Regex, QStringLiteral("a(?=b)"), "", "", "no look-around");
        row("range reversed", Mode::Regex, QStringLiteral("[z-a]"), "", "", "out of order");
        row("not a comparison", Mode::Number, QStringLiteral("abc"), "", "", "is no comparison");
        row("half a range", Mode::Number, QStringLiteral("1..x"), "", "", "is no comparison");
        row("range backwards", Mode::Number, QStringLiteral("5..3"), "", "", "below its start");
        row("unknown type", Mode::Contains, x, "ZZ9", "", "unknown record type 'ZZ9'");
        row("unknown field", Mode::Contains, x, "", "CA0 99.0",
            "no field '99.0' of record type CA0");
        row("unknown name", Mode::Contains, x, "", "NO SUCH NAME", "no field 'NO SUCH NAME'");
        row("field of another type", Mode::Contains, x, "DA0", "CA0 03.0",
            "is no field of record type DA0");
        row("numbers in a text field", Mode::Number, QStringLiteral("1"), "", "CA0 03.0",
            "'CA0 03.0 LAST NAME' holds no numbers");
        row("no number fields", Mode::Number, QStringLiteral("1"), "BA1", "",
            "no fields of whole numbers to compare");
        row("a whole number in a date field", Mode::Number, QStringLiteral("=1500"), "", "CA0 05.0",
            "'CA0 05.0 BIRTH DATE' holds dates: '=1500' cannot be compared with them");
        row("more than two decimals", Mode::Number, QStringLiteral("1,600.505"), "", "",
            "'1,600.505' has more than two decimals");
    }

    void queriesThatCannotRun() {
        QFETCH(Mode, mode);
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, field);
        QFETCH(QString, error);
        TestWorkspace ws;
        ws.write("c.nsf", rec::aa0());
        QVERIFY(ws.open("c.nsf"));
        std::string message;
        SearchQuery query = queryOf(mode, text, &message);
        query.recordType = type.toStdString();
        query.field = field.toStdString();
        SearchPlan plan;
        if (message.empty())
            QVERIFY(!plan.prepare(query, ws.layouts, message));
        QVERIFY2(message.find(error.toStdString()) != std::string::npos, message.c_str());
    }

    // A record's values go to the regular expression together, one a line
    // (and a whole record is tested first): the same matches as value by
    // value, whatever assertions the pattern holds, with and without a value
    // holding a line feed, which puts the record back to value by value.
    void regexOverValuesTogether_data() {
        QTest::addColumn<QString>("pattern");
        for (const char* pattern :
             {"^A", "B$", "^$", "^AB$", "\\AAB", "AB\\z", "(?-m)^AB", "(?-m:^A)B", "\\bAB\\b",
              "\\BB", "x*", "", "(?i)smith|jones", "^[A-Z]+[0-9]{3}$", "A.B", "[^A-Z]$", "€",
              "(?i)É", "\\QA$\\E", "A\\nB", "(?s:.)B", "(?m)^B", "[$]", "\\$$", "AB|^$",
              // Told by their values' ends (RegexProfile) before RE2.
              "^[A-Z]{2}\\d+$", "(?i)^[k-s]\\w{1,4}\\d$", "^[^\\W\\d]+[[:digit:]]{3}$",
              "^(AB|C)?X{0,2}B$", "^\\x41\\102$", "(?i)^[^a]B$", "^.{2}$", "^A(?i)b$", "[0-9]{2}$",
              "^\\pL+$", "(?U)^A+?B$", "^[A-Z]+\\d?", "[A-Z]\\d?$",
              // Read through the pattern's automaton, blanks within a value too.
              "^A B$", "^(A|AB)+B?$", "^X?A\\s?B", "^A[^Z]*B$", "^[A-Z]\\D{0,3}$"})
            QTest::newRow(pattern) << QString::fromUtf8(pattern);
        // Too large to be worth making the faster ways for: value by value.
        QTest::newRow("large") << QStringLiteral("[0-9]{1000}").repeated(21) +
                                      QStringLiteral("|^A|B$");
    }

    void regexOverValuesTogether() {
        QFETCH(QString, pattern);
        ValueMatcher matcher;
        std::string error;
        QVERIFY2(matcher.prepare(queryOf(Mode::Regex, pattern), error), error.c_str());
        const std::vector<std::string_view> some = {"  AB  ",
                                                    "AB",
                                                    "",
                                                    "   ",
                                                    "XAB",
                                                    "ABX",
                                                    "\x80 SMITH",
                                                    "caf\xC9",
                                                    "A$",
                                                    "JONES  ",
                                                    "ABC123",
                                                    "ab123",
                                                    "A B",
                                                    "\x80",
                                                    "Ab",
                                                    "KAT9",
                                                    "s12",
                                                    "XXB",
                                                    "\x8a\x9a"
                                                    "B"};
        std::vector<std::string_view> withLineFeed = some;
        withLineFeed.insert(withLineFeed.begin() + 3, "A\nB");
        for (const auto& values : {some, withLineFeed}) {
            std::vector<ValueMatch> expected;
            std::string line;
            for (std::size_t k = 0; k < values.size(); ++k) {
                std::size_t start = 0, length = 0;
                if (matcher.matches(values[k], start, length))
                    expected.push_back({k, start, length});
                line.append(values[k]).push_back(' ');
            }
            auto sameAsExpected = [&expected](const std::vector<ValueMatch>& found) {
                QCOMPARE(found.size(), expected.size());
                for (std::size_t i = 0; i < expected.size(); ++i) {
                    QCOMPARE(found[i].value, expected[i].value);
                    QCOMPARE(found[i].start, expected[i].start);
                    QCOMPARE(found[i].length, expected[i].length);
                }
            };
            std::vector<ValueMatch> together;
            matcher.matchEach(values, together);
            sameAsExpected(together);
            QVERIFY(expected.empty() || matcher.mayMatchWithin(line));
            // Held to a value's start: the values cut from one record by the
            // pattern's automaton as they are read.
            QVERIFY(!pattern.startsWith(QLatin1String("^[A-Z]")) || matcher.readsColumns());
            if (matcher.readsColumns()) {
                std::vector<FieldColumns> columns;
                std::string record;
                for (const std::string_view value : values) {
                    columns.push_back(
                        {std::int16_t(record.size() + 1), std::int16_t(value.size())});
                    record.append(value);
                }
                std::vector<ValueMatch> cut;
                matcher.matchColumns(record, columns, record.size(), cut);
                sameAsExpected(cut);
            }
        }
    }

    // Patterns that make a backtracking matcher take exponential time.
    void regexTakesLinearTime() {
        const std::string text(100000, 'a');
        for (const char* pattern : {"(a*)*b", "(a|aa)*c", "(a?){30}a{30}$"}) {
            SearchQuery query = queryOf(Mode::Regex, QString::fromLatin1(pattern));
            ValueMatcher matcher;
            std::string error;
            QVERIFY2(matcher.prepare(query, error), error.c_str());
            std::size_t start = 0, length = 0;
            QCOMPARE(matcher.matches(text, start, length), pattern[1] == 'a' && pattern[2] == '?');
        }
    }

    void recordsAtTheEdges_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("hits"); // node, field index, matched part
        auto row =
            [](const char* name, Mode mode, const char* text, const char* field, const char* hits) {
                QTest::newRow(name)
                    << mode << QString::fromLatin1(text) << QString::fromLatin1(field)
                    << QString::fromLatin1(hits).split(QLatin1Char('|'), Qt::SkipEmptyParts);
            };
        row("blanks around a value", Mode::Contains, "o b", "", "CA0 2 2+3");
        row("exact without its blanks", Mode::Exact, "O BRIEN", "LAST NAME", "CA0 2 2+7");
        row("a field cut by the line's end", Mode::Contains, "cde", "", "CA0 6 2+3");
        row("a field past the line's end", Mode::Exact, "", "CA0 06.0",
            "CA0 5 0+0|CA0 5 0+0|CA0 5 0+0");
        row("a field past a short line's end", Mode::Exact, "", "BA1 LATE FIELD",
            "BA1 2 0+0|BA1 2 0+0");
        row("the part of a short line", Mode::Exact, "XY", "BA1 02.0", "BA1 1 0+2|BA1 1 0+2");
        row("99 of a repeating type", Mode::Number, ">1097", "FA0 13.0",
            "FA0-98 2 0+7|FA0-99 2 0+7");
        row("a record that took another's place", Mode::Regex, "^(FIRST|SECOND|0001001)$", "",
            "EA0 1 0+6|FA0-1 2 0+7");
        row("a batch shows under each claim", Mode::Contains, "TAXONE", "", "BA0 1 0+6|BA0 1 0+6");
    }

    void recordsAtTheEdges() {
        QFETCH(Mode, mode);
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(QStringList, hits);
        TestWorkspace ws;
        writeEdgeFile(ws);
        SearchQuery query = queryOf(mode, text);
        query.field = field.toStdString();
        QStringList found;
        for (const std::string& hit : search(*ws.file, query)) {
            // "CA0645 FA0-2 3 [value] 0+7" -> "FA0-2 3 0+7"
            const QStringList parts = QString::fromStdString(hit).split(QLatin1Char(' '));
            found << parts.mid(1, 2).join(QLatin1Char(' ')) + QLatin1Char(' ') + parts.last();
        }
        QCOMPARE(found, hits);
    }

    void fieldAndTypeLimits_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("hits");
        QTest::newRow("anywhere") << QString() << QString() << 3;
        QTest::newRow("one type") << QStringLiteral("ca0") << QString() << 2;
        QTest::newRow("by number and type") << QString() << QStringLiteral("CA0 03.0") << 1;
        QTest::newRow("by number with --type")
            << QStringLiteral("CA0") << QStringLiteral("03.0") << 1;
        QTest::newRow("by name, case ignored") << QString() << QStringLiteral("last name") << 1;
        QTest::newRow("by type and name") << QString() << QStringLiteral("CA0 FIRST NAME") << 1;
        QTest::newRow("another type") << QStringLiteral("DA0") << QString() << 0;
    }

    // "SMITH" is a claim's last name and first name, and a batch's tax id.
    void fieldAndTypeLimits() {
        QFETCH(QString, type);
        QFETCH(QString, field);
        QFETCH(int, hits);
        TestWorkspace ws;
        ClaimFileBuilder file;
        file.add(rec::aa0()).add(rec::ba0("SMITH")).add(rec::ca0("P1", "SMITH", "SMITH"));
        ws.write("s.nsf", file.add(rec::za0()).bytes());
        QVERIFY(ws.open("s.nsf"));
        SearchQuery query = queryOf(Mode::Contains, QStringLiteral("smith"));
        query.recordType = type.toStdString();
        query.field = field.toStdString();
        QCOMPARE(int(search(*ws.file, query).size()), hits);
    }

    // A field number the map defines twice names its first definition only.
    void fieldNumberDefinedTwiceNamesTheFirst() {
        TestWorkspace ws;
        ws.write("nsf0301.map", TestWorkspace::testMap() + "CA0,03.0,AGAIN,12,X,43,54\n");
        ClaimFileBuilder file;
        file.add(rec::aa0()).add(rec::ba0()).add(rec::ca0("P1", "SMITH", "SMITH"));
        ws.write("s.nsf", file.add(rec::za0()).bytes());
        QVERIFY(ws.open("s.nsf"));
        SearchQuery query = queryOf(Mode::Contains, QStringLiteral("smith"));
        query.field = "CA0 03.0";
        const std::vector<std::string> hits = search(*ws.file, query);
        QCOMPARE(hits.size(), std::size_t(1));
        QVERIFY2(hits.front().find(" CA0 2 [SMITH") != std::string::npos, hits.front().c_str());
    }

    void sameAsClickingEveryClaim_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("text");
        const QByteArray v301 =
            GeneratedFiles::generate(words("--version 00301 --claims 40 --batches 3 --seed 5 "
                                           "--wrong-totals 4 --no-xa0 9"));
        const QByteArray v200 =
            GeneratedFiles::generate(words("--version 00200 --claims 30 --batches 2 --seed 9"));
        QTest::newRow("3.01 contains") << v301 << Mode::Contains << QStringLiteral("e");
        QTest::newRow("3.01 regex") << v301 << Mode::Regex << QStringLiteral("^[0-9]{2}$");
        QTest::newRow("3.01 regex with letters")
            << v301 << Mode::Regex << QStringLiteral("(?i)an+e");
        QTest::newRow("2.00 number") << v200 << Mode::Number << QStringLiteral("1..500");
        QTest::newRow("2.00 exact") << v200 << Mode::Exact << QStringLiteral("Y");
        for (quint32 seed = 1; seed <= 12; ++seed)
            QTest::addRow("damaged %u", seed)
                << GeneratedFiles::damaged(seed % 2 ? v301 : v200, seed, true)
                << (seed % 3 ? Mode::Contains : Mode::Regex)
                << (seed % 3 ? QStringLiteral("e") : QStringLiteral("[AEIOU]{2}"));
    }

    // One job or three, small chunks or large, with the tree's index or
    // without, workers waiting for their turn at once or not: the hits
    // clicking every claim gives, in the same order.
    void sameAsClickingEveryClaim() {
        QFETCH(QByteArray, file);
        QFETCH(Mode, mode);
        QFETCH(QString, text);
        TestWorkspace ws;
        ws.write("g.nsf", file.toStdString());
        ws.mapFolders = {MAPS_DIR};
        QVERIFY(ws.open("g.nsf"));
        OpenClaimFile& f = *ws.file;
        const SearchQuery query = queryOf(mode, text);
        const std::vector<std::string> clicks = byClicks(f, query);
        const auto tree = std::make_shared<HeaderIndex>(*f.tree());
        for (const int jobs : {1, 3}) {
            for (const std::int64_t chunk : {std::int64_t(8) << 20, std::int64_t(997)}) {
                for (const auto& index : {std::shared_ptr<HeaderIndex>(), tree}) {
                    FieldSearch::Options options;
                    options.jobs = jobs;
                    options.chunkBytes = chunk;
                    options.index = index;
                    options.waitingBytes = index ? 1 : options.waitingBytes;
                    std::vector<std::string> found = search(f, query, options);
                    // The click's oracle knows no field numbers' types: compare without them.
                    QCOMPARE(found.size(), clicks.size());
                    for (std::size_t i = 0; i < found.size(); ++i)
                        QCOMPARE(QString::fromStdString(found[i]),
                                 QString::fromStdString(clicks[i]));
                }
            }
        }
        QVERIFY(!clicks.empty());
    }

    void cancelAndLimitStopTheSearch() {
        TestWorkspace ws;
        ws.write("c.nsf",
                 GeneratedFiles::generate(words("--version 00301 --claims 300")).toStdString());
        ws.mapFolders = {MAPS_DIR};
        QVERIFY(ws.open("c.nsf"));
        const SearchQuery query = queryOf(Mode::Contains, QStringLiteral("a"));
        // Three workers whose chunks' matches wait for their turn one at a time.
        FieldSearch::Options options;
        options.chunkBytes = 4096;
        options.jobs = 3;
        options.waitingBytes = 1;
        FieldSearch::Summary all, cancelled, limited;
        const std::size_t total = search(*ws.file, query, options, &all).size();
        QCOMPARE(all.claims, std::int64_t(300));
        QCOMPARE(std::int64_t(total), all.fieldsMatched);
        options.progress = [](std::int64_t, std::int64_t) {
            return false;
        };
        search(*ws.file, query, options, &cancelled);
        QVERIFY(cancelled.cancelled && cancelled.claims < 300);
        options.progress = {};
        options.maxFields = 50;
        const std::size_t some = search(*ws.file, query, options, &limited).size();
        QVERIFY(limited.limited && !limited.cancelled);
        QVERIFY(some >= 50 && some < total);
        // The claims searched are those up to the claim that reached the limit.
        QVERIFY(limited.claimsMatched <= limited.claims && limited.claims < all.claims);
        QVERIFY(!all.fileChanged && !limited.fileChanged);
    }

    // A file cut short while it is searched: the search says so, with the
    // claims it could not read, as the check does.
    void fileThatShrinksWhileSearched() {
        TestWorkspace ws;
        const std::string bytes =
            GeneratedFiles::generate(words("--version 00301 --claims 300")).toStdString();
        ws.write("s.nsf", bytes);
        ws.mapFolders = {MAPS_DIR};
        QVERIFY(ws.open("s.nsf"));
        FieldSearch::Options options;
        options.jobs = 1;
        options.chunkBytes = 4096; // the chunks after the cut are read after it
        bool cut = false;
        options.beforeClaimRead = [&](std::int64_t position) {
            if (!cut && std::size_t(position) > bytes.size() / 2) {
                cut = true;
                QCOMPARE(::truncate(ws.path("s.nsf").c_str(), off_t(bytes.size() / 3)), 0);
            }
        };
        FieldSearch::Summary summary;
        search(*ws.file, queryOf(Mode::Contains, QStringLiteral("a")), options, &summary);
        QVERIFY(cut);
        QVERIFY(summary.fileChanged);
        QVERIFY(!summary.cancelled);
        QVERIFY(summary.claims < 300);
        QCOMPARE(summary.notRead, 300 - summary.claims);
    }
};

QTEST_GUILESS_MAIN(FieldSearchTest)
#include "FieldSearchTest.moc"

// The claim filter: every operator, unit and name of the language against a
// file of five claims whose answers are known, every error with its column,
// hostile expressions, the claim list's rows from the same pass, and the
// field search's one-field queries against the same filters on generated files.
#include "core/filter/ClaimFilter.h"

#include "ClaimFileBuilder.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "TestWorkspace.h"
#include "core/filter/FilteredCheck.h"
#include "core/search/FieldSearch.h"
#include "core/search/SearchPlan.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <map>

using namespace qm;

namespace {

using Values = std::map<std::string, std::string>;

// Batch 1 (PROV1):
//   P1 SMITH, JOHN: FA0 2003-03-05 office 99213 $150.00 1.5 units, FA0 2003-04-10
//      inpatient 99214 $450.00; XA0 $600.00
//   P2 JONES, MARY: FA0 2003-03-20 office 99214 $600.00; XA0 $600.01 (does not compute)
//   P3 O'BRIEN, PAT: no DOB, no FA0, no XA0
// Batch 2 (PROV2):
//   P4 SMITHERS, ANN: FA0 20031345 (no date: invalid) 99213 $50.00, FA0 2003-03-01
//      outpatient J1234 $70.00; XA0 $120.00
//   P5 LEE, KIM: DOB 00000000; FA0 2004-01-01 office 99215 $999.99; XA0 $999.99
class FiveClaims {
public:
    explicit FiveClaims(const NsfRecords& r) {
        text.add(r.fileHeader("QMFILTER", "00301"));
        batches.push_back(text.key(
            "BA0",
            text.append(r.record(
                "BA0", {{"02.0", "PROV1"}, {"06.0", "123456789"}, {"18.0", "NORTH CLINIC"}}))));
        claim(r, {{"03.0", "P1"}, {"04.0", "SMITH"}, {"05.0", "JOHN"}, {"08.0", "19800115"}},
              {{{"05.0", "20030305"},
                {"07.0", "11"},
                {"09.0", "99213"},
                {"13.0", "15000"},
                {"18.0", "15"}},
               {{"05.0", "20030410"}, {"07.0", "21"}, {"09.0", "99214"}, {"13.0", "45000"}}},
              "60000");
        claim(r, {{"03.0", "P2"}, {"04.0", "JONES"}, {"05.0", "MARY"}, {"08.0", "19751231"}},
              {{{"05.0", "20030320"}, {"07.0", "11"}, {"09.0", "99214"}, {"13.0", "60000"}}},
              "60001");
        claim(r, {{"03.0", "P3"}, {"04.0", "O'BRIEN"}, {"05.0", "PAT"}}, {}, "");
        text.add(r.record("YA0"));
        batches.push_back(text.key(
            "BA0", text.append(r.record("BA0", {{"02.0", "PROV2"}, {"18.0", "SOUTH CLINIC"}}))));
        claim(r, {{"03.0", "P4"}, {"04.0", "SMITHERS"}, {"05.0", "ANN"}, {"08.0", "19900101"}},
              {{{"05.0", "20031345"}, {"09.0", "99213"}, {"13.0", "5000"}},
               {{"05.0", "20030301"}, {"07.0", "22"}, {"09.0", "J1234"}, {"13.0", "7000"}}},
              "12000");
        claim(r, {{"03.0", "P5"}, {"04.0", "LEE"}, {"05.0", "KIM"}, {"08.0", "00000000"}},
              {{{"05.0", "20040101"}, {"07.0", "11"}, {"09.0", "99215"}, {"13.0", "99999"}}},
              "99999");
        text.add(r.record("YA0"));
        text.add(r.record("ZA0"));
    }

    ClaimFileBuilder text;
    std::vector<std::string> batches; // their keys
    std::vector<std::string> claims;

private:
    // A claim, its service lines and, unless stated is empty, an XA0 that
    // counts them right and states that total.
    void claim(const NsfRecords& r, const Values& ca0, const std::vector<Values>& lines,
               const std::string& stated) {
        claims.push_back(text.key("CA0", text.append(r.record("CA0", ca0))));
        int seq = 0;
        for (Values line : lines) {
            line["02.0"] = std::to_string(++seq);
            text.add(r.record("FA0", line));
        }
        if (stated.empty())
            return;
        Values xa0{{"03.0", ca0.at("03.0")},
                   {"04.0", "1"},
                   {"07.0", std::to_string(seq)},
                   {"10.0", std::to_string(seq + 1)},
                   {"12.0", stated}};
        for (const char* id : {"05.0", "06.0", "08.0", "09.0", "13.0", "14.0", "15.0", "16.0",
                               "17.0", "18.0", "20.0"})
            xa0[id] = "0";
        text.add(r.record("XA0", xa0));
    }
};

} // namespace

class ClaimFilterTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::shared_ptr<OpenClaimFile> file;
    std::vector<std::string> batchKeys, claimKeys;
    std::deque<std::string> texts; // of the rows kept by matching()

    // The control numbers of the claims the filter chooses, in file order,
    // or "error: " and the message. The whole-file check and the claims'
    // pass alone must choose the same.
    QString matching(const std::string& expression, std::vector<ClaimListRow>* rows = nullptr,
                     FilteredCheck::Result* result = nullptr) {
        ClaimFilter filter;
        FilterError error;
        if (!ClaimFilter::compile(expression, *file->layouts(), filter, error))
            return QString::fromStdString("error: " + error.message());
        // Each claim chosen, and its problems: the claims alone are judged
        // after the verdict, the whole-file check before it.
        QStringList chosen, chosenAlone, weighed, weighedAlone;
        FilteredCheck::Options options;
        options.filter = &filter;
        options.listRows = true;
        options.onClaim = [&](const ClaimListRow& row, bool matched) {
            if (matched) {
                chosen << QString::fromStdString(std::string(row.controlNumber));
                weighed << QString::number(row.problems);
            }
            if (rows) {
                // The row's texts last as long as the call: kept here.
                ClaimListRow kept = row;
                kept.patient = texts.emplace_back(row.patient);
                kept.provider = texts.emplace_back(row.provider);
                kept.controlNumber = texts.emplace_back(row.controlNumber);
                rows->push_back(kept);
            }
        };
        FileCheck::Options checkOptions;
        checkOptions.jobs = 2;
        const FilteredCheck::Result r =
            FilteredCheck::run(file->reader(), file->layouts(), checkOptions, options);
        if (result)
            *result = r;
        options.onClaim = [&](const ClaimListRow& row, bool matched) {
            if (matched) {
                chosenAlone << QString::fromStdString(std::string(row.controlNumber));
                weighedAlone << QString::number(row.problems);
            }
        };
        FilteredCheck::claims(file->reader(), file->layouts(), checkOptions, options);
        if (chosenAlone != chosen)
            return QStringLiteral("the claims alone: ") + chosenAlone.join(QLatin1Char(' '));
        if (weighedAlone != weighed)
            return QStringLiteral("the claims alone weighed: ") +
                   weighedAlone.join(QLatin1Char(' '));
        return chosen.join(QLatin1Char(' '));
    }

    // {B1}, {B2}, {C1}: the keys of the first and second batch and the first claim.
    std::string withKeys(QString expression) const {
        expression.replace(QStringLiteral("{B2}"), QString::fromStdString(batchKeys[1]));
        expression.replace(QStringLiteral("{C1}"), QString::fromStdString(claimKeys[0]));
        expression.replace(QStringLiteral("{c1}"), QString::fromStdString(claimKeys[0]).toLower());
        return expression.toStdString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        const NsfRecords records(MAPS_DIR, "nsf0301.map");
        const FiveClaims five(records);
        batchKeys = five.batches;
        claimKeys = five.claims;
        const std::string path = dir.filePath(QStringLiteral("five.nsf")).toStdString();
        five.text.write(QString::fromStdString(path));
        file = TestWorkspace::openFile(path, {MAPS_DIR});
        QVERIFY(file);
    }

    void grammar_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("claims");
        auto row = [](const char* expression, const char* claims) {
            QTest::newRow(expression) << QString::fromUtf8(expression) << QString::fromUtf8(claims);
        };
        // Money: dollars without decimals, cents with; a value first reads the other way.
        row("XA0.12.0 > 500.00", "P1 P2 P5");
        row("XA0.12.0 > $500", "P1 P2 P5");
        row("XA0.12.0 > 500", "P1 P2 P5");
        row("500 < XA0.12.0", "P1 P2 P5");
        row("XA0.12.0 == 600.00", "P1");
        row("XA0.12.0 != $600", "P2 P4 P5"); // P3 has no XA0
        row("XA0.12.0 < 600.00", "P4");
        row("XA0.12.0 <= 120.00", "P4");
        row("XA0.12.0 >= $999.99", "P5");
        row("XA0.12.0 in 100.00..600.00", "P1 P4");
        row("XA0.12.0 in {600.00 120}", "P1 P4");
        row("XA0.12.0 == \"0060000\"", "P1"); // a text compares the value as stored
        // Dates: both ways of writing them, a month, a non-date that passes only !=.
        row("FA0.05.0 in 2003-03", "P1 P2 P4");
        row("FA0.05.0 == 2003-03-05", "P1");
        row("FA0.05.0 == 03/05/2003", "P1");
        row("FA0.05.0 < 2003-03-05", "P4");
        row("FA0.05.0 > 2003-12-31", "P5");
        row("FA0.05.0 > 2003-03", "P1 P5");
        row("FA0.05.0 != 2003-03-05", "P1 P2 P4 P5");
        row("CA0.08.0 blank", "P3 P5");
        row("CA0.08.0 exists", "P1 P2 P4");
        // Tenths and whole numbers.
        row("FA0.18.0 == 1.5", "P1");
        row("FA0.18.0 > 1", "P1");
        row("count(FA0) == 2", "P1 P4");
        row("count(XA0) == 0", "P3");
        row("sum(FA0.13.0) > 500.00", "P1 P2 P5");
        row("sum(FA0.13.0) == 120", "P4");
        // Any occurrence, each test on its own; one occurrence for all; every one.
        row("FA0.05.0 in 2003-03 && FA0.13.0 > 200.00", "P1 P2");
        row("any(FA0: 05.0 in 2003-03 && 13.0 > 200.00)", "P2");
        row("any(FA0.05.0 in 2003-03 && FA0.13.0 > 200.00)", "P2");
        row("all(FA0.05.0 >= 2003-03-01)", "P1 P2 P5"); // P3 has none, P4 a non-date
        row("all(FA0: 07.0 == \"11\")", "P2 P5");
        // Texts and codes.
        row("CA0.04.0 == \"SMITH\"", "P1");
        row("CA0.04.0 == SMITH", "P1");
        row("CA0.04.0 != \"SMITH\"", "P2 P3 P4 P5");
        row("CA0.04.0 contains \"smith\"", "P1 P4");
        row("CA0.04.0 matches \"^SMITH\"", "P1 P4");
        row("CA0.04.0 matches \"^S.*H$\"", "P1");
        row("CA0.04.0 == \"O'BRIEN\"", "P3");
        row("FA0.07.0 == \"11\"", "P1 P2 P5");
        row("FA0.07.0 in {\"21\" \"22\"}", "P1 P4");
        row("FA0.07.0 blank", "P4");
        row("FA0.07.0 exists", "P1 P2 P4 P5");
        row("FA0.09.0 == 99213", "P1 P4");
        // The records shown with a claim, its problems and keys.
        row("BA0.02.0 == \"PROV2\"", "P4 P5");
        row("AA0.02.0 == QMFILTER", "P1 P2 P3 P4 P5");
        row("problem", "P2 P3 P4");
        row("problem == \"totals_do_not_compute\"", "P2");
        row("problem == no_xa0", "P3");
        row("problem in {\"invalid_value\" \"no_xa0\"}", "P3 P4");
        row("problem != \"invalid_value\"", "P1 P2 P3 P5");
        row("batch == \"{B2}\"", "P4 P5");
        row("claim == {c1}", "P1");
        row("claim != \"{C1}\" && batch != \"{B2}\"", "P2 P3");
        // And, or, not, their words and precedence, parentheses.
        row("XA0.12.0 > 500 and not problem", "P1 P5");
        row("XA0.12.0 > 500 AND NOT PROBLEM", "P1 P5");
        row("!problem", "P1 P5");
        row("!FA0.07.0 == \"11\"", "P3 P4");
        row("problem or XA0.12.0 == 120", "P2 P3 P4");
        row("CA0.04.0 == SMITH || CA0.04.0 == LEE && problem", "P1");
        row("(CA0.04.0 == SMITH || CA0.04.0 == LEE) && !problem", "P1 P5");
        row("(problem || count(FA0) == 2) && CA0.04.0 contains \"smith\"", "P1 P4");
    }
    void grammar() {
        QFETCH(QString, expression);
        QFETCH(QString, claims);
        QCOMPARE(matching(withKeys(expression)), claims);
    }

    void errors_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("message");
        auto row = [](const char* expression, const char* message) {
            QTest::newRow(expression)
                << QString::fromUtf8(expression) << QString::fromUtf8(message);
        };
        row("", "column 1: a field such as XA0.12.0, or a value, was expected");
        row("problem &&", "column 11: a field such as XA0.12.0, or a value, was expected");
        row("XA0.12.0 > )", "column 12: an amount such as 500.00 or $500 was expected "
                            "(XA0.12.0 holds amounts of money)");
        row("FA0.05.0 > 500.00", "column 12: a date such as 2003-03-01 or 03/01/2003, or a "
                                 "month such as 2003-03, was expected (FA0.05.0 holds dates)");
        row("FA0.18.0 == 1.25", "column 13: a number such as 1.5 was expected (FA0.18.0 holds "
                                "numbers with one decimal place)");
        row("count(FA0) > 1.5", "column 14: a whole number such as 12 was expected "
                                "(count(FA0) holds whole numbers)");
        row("count(FA0) == \"2\"", "column 15: a whole number such as 12 was expected "
                                   "(count(FA0) holds whole numbers)");
        row("XA0.12.0", "column 9: an operator such as ==, <, in, contains or exists was expected");
        row("(problem", "column 9: ) was expected");
        row("problem problem", "column 9: &&, || or the end of the expression was expected");
        row("XA0.99.0 > 5", "column 1: a field the map has was expected: it has no XA0.99.0");
        row("XB0.12.0 > 5", "column 1: a field such as XA0.12.0 was expected: XB0 is none of "
                            "the 32 record types");
        row("CA0.04.0 > \"A\"",
            "column 10: ==, !=, in, contains or matches was expected (CA0.04.0 holds text)");
        row("\"A\" <= CA0.04.0",
            "column 5: ==, !=, in, contains or matches was expected (CA0.04.0 holds text)");
        row("XA0.12.0 > \"abc\"", "column 12: an amount such as 500.00 or $500 was expected (a "
                                  "text in quotes compares with == or != only)");
        row("XA0.12 > 100", "column 1: a field such as XA0.12.0 was expected (its record type, "
                            "field number and part: XA0.12 is not written so)");
        row("CA0.04.0 contains SMITH",
            "column 19: a text in quotes such as \"SMITH\" was expected");
        row("CA0.04.0 == \"\"",
            "column 13: a text that is not blank was expected (blank finds blank values)");
        row("CA0.04.0 == \"SMITH",
            "column 19: a \" closing the text begun at column 13 was expected");
        row("FA0.07.0 in 11..21",
            "column 13: a set such as {\"11\" \"21\"} was expected (FA0.07.0 holds text)");
        row("XA0.12.0 in 500.00..100.00",
            "column 21: a range from its low end to its high end was expected");
        row("XA0.12.0 = 5", "column 10: == was expected (a comparison has two equals signs)");
        row("problem & problem", "column 9: && was expected");
        row("problem == \"wrong\"", "column 12: a problem kind of a claim was expected: "
                                    "totals_do_not_compute, unreadable, invalid_value, "
                                    "could_not_check or no_xa0");
        row("count(XX0) > 1", "column 7: a record type such as FA0 was expected");
        row("sum(FA0.05.0) > 1",
            "column 5: a field of amounts or numbers was expected: FA0.05.0 holds dates");
        row("any(FA0: problem)", "column 10: a field of FA0 was expected: any(...) and all(...) "
                                 "test one record at a time");
        row("any(FA0: CA0.04.0 == X)", "column 10: a field of FA0 was expected: any(...) and "
                                       "all(...) test one record type");
        row("any(FA0.05.0 exists && any(FA0.07.0 exists))",
            "column 24: a field of FA0 was expected: any(...) and all(...) do not nest");
        row("any(any(FA0.05.0 exists))", "column 5: a field of one record type was expected: "
                                         "any(...) and all(...) do not nest");
        row("05.0 == 1", "column 9: a field such as XA0.12.0, or a value, was expected");
        row("5 6", "column 3: an operator such as == or < was expected");
    }
    void errors() {
        QFETCH(QString, expression);
        QFETCH(QString, message);
        QCOMPARE(matching(expression.toStdString()), QStringLiteral("error: ") + message);
    }

    // Nesting, length and regular expressions are bounded: a clear error, never a crash.
    void hostileExpressions() {
        const std::string deep = std::string(1000, '(') + "problem" + std::string(1000, ')');
        QCOMPARE(matching(deep), QStringLiteral("error: column 66: a simpler expression was "
                                                "expected: this one nests more than 64 deep"));
        QCOMPARE(matching(std::string(100000, '!') + "problem"),
                 QStringLiteral("error: column 10001: the end of the expression was expected: "
                                "it is longer than 10000 characters"));
        std::string ors = "problem";
        for (int i = 0; i < 600; ++i)
            ors += " || problem";
        QCOMPARE(matching(ors), QStringLiteral("P2 P3 P4"));
        std::string patterns = "problem";
        for (int i = 0; i < 17; ++i)
            patterns += " || CA0.04.0 matches \"S\"";
        QCOMPARE(matching(patterns), QStringLiteral("error: column 413: at most 16 regular "
                                                    "expressions were expected in one filter"));
    }

    // The claim list's rows come from the same pass, every claim with its own.
    void listRows() {
        std::vector<ClaimListRow> rows;
        FilteredCheck::Result result;
        QCOMPARE(matching("CA0.04.0 exists", &rows), QStringLiteral("P1 P2 P3 P4 P5"));
        QCOMPARE(rows.size(), std::size_t(5));
        const ClaimListRow& p1 = rows[0];
        QCOMPARE(QString::fromStdString(std::string(p1.patient)), QStringLiteral("SMITH, JOHN"));
        QCOMPARE(QString::fromStdString(std::string(p1.provider)),
                 QStringLiteral("123456789 - NORTH CLINIC"));
        QCOMPARE(p1.firstService, 20030305);
        QCOMPARE(p1.lines, 2);
        QVERIFY(p1.hasStatedTotal);
        QCOMPARE(p1.statedTotal, std::int64_t(60000));
        QCOMPARE(p1.linesTotal, std::int64_t(60000));
        QCOMPARE(p1.problems, 0);
        QCOMPARE(ClaimFileBuilder::key("CA0", p1.position), claimKeys[0]);
        QCOMPARE(ClaimFileBuilder::key("BA0", p1.batchPosition), batchKeys[0]);
        const ClaimListRow& p3 = rows[2];
        QCOMPARE(p3.firstService, 0);
        QCOMPARE(p3.lines, 0);
        QVERIFY(!p3.hasStatedTotal);
        QCOMPARE(p3.problems, 1);
        QCOMPARE(rows[3].firstService, 20030301); // the invalid date before it passed over
        // A claim that is not listed has no row to word.
        rows.clear();
        QCOMPARE(matching("problem", &rows, &result), QStringLiteral("P2 P3 P4"));
        QVERIFY(rows[0].patient.empty());
        QCOMPARE(rows[0].problems, 0);
        QCOMPARE(ClaimFileBuilder::key("BA0", rows[4].batchPosition), batchKeys[1]);
        // What is shown counts the claims that match only; the batches' rows stay.
        QCOMPARE(result.matched, std::int64_t(3));
        QCOMPARE(result.shown.claims, std::int64_t(3));
        QCOMPARE(result.file.claims, std::int64_t(5));
        QCOMPARE(result.shown.claimsWithProblems, std::int64_t(3));
        QCOMPARE(result.shown.batchesWithProblems, result.file.batchesWithProblems);
        matching("CA0.04.0 == LEE", nullptr, &result);
        QCOMPARE(result.shown.claimsWithProblems, std::int64_t(0));
        QCOMPARE(result.shown.totalsFailed, std::int64_t(0));
    }

    // A field search for one field's value and the filter that says the
    // same choose the same claims.
    void searchAgrees_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expression");
        const int exact = int(SearchQuery::Mode::Exact),
                  contains = int(SearchQuery::Mode::Contains),
                  regex = int(SearchQuery::Mode::Regex), number = int(SearchQuery::Mode::Number);
        QTest::newRow("procedure") << exact << "FA0 09.0"
                                   << "99213"
                                   << "FA0.09.0 == \"99213\"";
        QTest::newRow("name") << contains << "CA0 04.0"
                              << "er"
                              << "CA0.04.0 contains \"er\"";
        QTest::newRow("city") << regex << "CA0 13.0"
                              << "^[A-M]"
                              << "CA0.13.0 matches \"^[A-M]\"";
        QTest::newRow("provider") << contains << "BA0 18.0"
                                  << "clinic"
                                  << "BA0.18.0 contains \"clinic\"";
        QTest::newRow("charges") << number << "XA0 12.0"
                                 << ">160.00"
                                 << "XA0.12.0 > 160.00";
        QTest::newRow("dates") << number << "FA0 05.0"
                               << "2003-03-01..2003-03-31"
                               << "FA0.05.0 in 2003-03";
    }
    void searchAgrees() {
        QFETCH(int, mode);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, expression);
        for (const quint32 seed : {3u, 11u}) {
            const QString path = dir.filePath(QStringLiteral("generated%1.nsf").arg(seed));
            if (!QFile::exists(path))
                QVERIFY(GeneratedFiles::write({QStringLiteral("--version"), QStringLiteral("00301"),
                                               QStringLiteral("--seed"), QString::number(seed),
                                               QStringLiteral("--claims"), QStringLiteral("300"),
                                               QStringLiteral("--batches"), QStringLiteral("4")},
                                              path));
            const auto generated = TestWorkspace::openFile(path.toStdString(), {MAPS_DIR});
            QVERIFY(generated);
            SearchQuery query;
            query.mode = SearchQuery::Mode(mode);
            query.field = field.toStdString();
            query.text = text.toStdString();
            std::string error;
            QVERIFY(query.mode != SearchQuery::Mode::Number ||
                    query.setComparison(query.text, error));
            SearchPlan plan;
            QVERIFY2(plan.prepare(query, generated->layouts(), error), error.c_str());
            QStringList searched;
            FieldSearch::run(
                generated->reader(), generated->layouts(), plan, {},
                [&](ClaimHits&& claim) { searched << QString::fromStdString(claim.key()); });
            QStringList filtered;
            ClaimFilter filter;
            FilterError filterError;
            QVERIFY(ClaimFilter::compile(expression.toStdString(), *generated->layouts(), filter,
                                         filterError));
            FilteredCheck::Options options;
            options.filter = &filter;
            options.onClaim = [&](const ClaimListRow& row, bool matched) {
                if (matched)
                    filtered << QString::fromStdString(ClaimFileBuilder::key("CA0", row.position));
            };
            FilteredCheck::claims(generated->reader(), generated->layouts(), {}, options);
            QVERIFY(!searched.isEmpty());
            QVERIFY(searched.size() < 300);
            QCOMPARE(filtered, searched);
        }
    }
};

QTEST_GUILESS_MAIN(ClaimFilterTest)
#include "ClaimFilterTest.moc"

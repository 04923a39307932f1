#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// `search`: the claims with matching fields in tree order, as text or JSON,
// and the exit status: 0 something matched, 1 nothing did, 2 it cannot run.
class CliSearchTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};
    TwoBatchFile file{records};

    QString write(const QString& name, const ClaimFileBuilder& text) {
        const QString path = dir.filePath(name);
        text.write(path);
        return path;
    }
    CliRunner::Result search(const QString& path, const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir(),
                                          QStringLiteral("search"), path} +
                              arguments);
    }

private slots:
    void matchesAndExitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("claims"); // A, B, C
        auto row =
            [](const char* name, const QStringList& arguments, int exitCode, const char* claims) {
                QTest::newRow(name)
                    << arguments << exitCode
                    << QString::fromLatin1(claims).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            };
        auto args = [](const char* text) {
            return QString::fromLatin1(text).split(QLatin1Char('|'));
        };
        row("contains, case ignored", args("poe"), 0, "C");
        row("a batch's field shows with its claims", args("smith"), 0, "A B");
        row("nothing matched", args("nobody"), 1, "");
        row("exact", args("DOE|--exact|--type|CA0"), 0, "A");
        row("exact keeps case", args("doe|--exact"), 1, "");
        row("regex on a field by name", args("^[AC]00[13]$|--regex|--field|patient control number"),
            0, "A C");
        // Line charges are money: 2000 cents is 20.00, 25 is $25.00.
        row("number above", args("--number|--field|FA0 13.0|--|>20.00"), 0, "A");
        row("number between", args("6.00..8.00|--number|--field|FA0 13.0"), 0, "B");
        row("a whole number in a money field", args("25|--number|--field|FA0 13.0"), 0, "A");
        row("an amount in any field", args("$25.00|--number"), 0, "A");
        row("an amount with a comma", args("$1,000.00|--number|--type|FA0"), 1, "");
        row("a whole number compares with no money", args("2500|--number"), 1, "");
        row("a date in a money field", args("2024-03-15|--number|--field|FA0 13.0"), 2, "");
        row("unknown record type", args("x|--type|ZZ9"), 2, "");
        row("unknown field", args("x|--field|CA0 77.0"), 2, "");
        row("numbers in a text field", args("1|--number|--field|CA0 04.0"), 2, "");
        row("not a regular expression", args("(|--regex"), 2, "");
        row("not a comparison", args("abc|--number"), 2, "");
        row("two modes", args("x|--exact|--regex"), 2, "");
        row("no text", QStringList(), 2, "");
    }

    void matchesAndExitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, claims);
        const QString path = write(QStringLiteral("s.nsf"), file.text);
        for (const char* jobs : {"1", "3"}) {
            const auto r = search(path, QStringList{QStringLiteral("--json"),
                                                    QStringLiteral("--jobs"), QLatin1String(jobs)} +
                                            arguments);
            QCOMPARE(r.exitCode, exitCode);
            if (exitCode == 2) {
                QVERIFY(r.out.isEmpty());
                QVERIFY(!r.err.isEmpty());
                continue;
            }
            QStringList found;
            for (const QJsonValue& claim :
                 r.json().object().value(QStringLiteral("claims")).toArray()) {
                const QString key = claim.toObject().value(QStringLiteral("key")).toString();
                found << (key == QString::fromStdString(file.claimA)   ? QStringLiteral("A")
                          : key == QString::fromStdString(file.claimB) ? QStringLiteral("B")
                                                                       : QStringLiteral("C"));
            }
            QCOMPARE(found, claims);
        }
    }

    void jsonGivesValuesWholeWithTheMatchedPart() {
        const QString path = write(QStringLiteral("s.nsf"), file.text);
        const auto r = search(path, {QStringLiteral("--json"), QStringLiteral("mit")});
        const QJsonObject doc = r.json().object();
        const QJsonArray claims = doc.value(QStringLiteral("claims")).toArray();
        QCOMPARE(claims.size(), 2);
        const QJsonObject a = claims[0].toObject();
        QCOMPARE(a.value(QStringLiteral("text")).toString(),
                 QStringLiteral("CA0: DOE, JANE (A001)"));
        const QJsonArray fields = a.value(QStringLiteral("fields")).toArray();
        QCOMPARE(fields.size(), 1);
        const QString name = QString::fromStdString(records.name("BA0", "19.0"));
        QString value = QStringLiteral("SMITH");
        value.resize(records.length("BA0", "19.0"), QLatin1Char(' '));
        QCOMPARE(fields[0].toObject(), QJsonObject({{QStringLiteral("node"), QStringLiteral("BA0")},
                                                    {QStringLiteral("id"), QStringLiteral("19.0")},
                                                    {QStringLiteral("name"), name},
                                                    {QStringLiteral("value"), value},
                                                    {QStringLiteral("match_start"), 1},
                                                    {QStringLiteral("match_length"), 3}}));
        QCOMPARE(doc.value(QStringLiteral("summary")).toObject(),
                 QJsonObject({{QStringLiteral("claims"), 3},
                              {QStringLiteral("claims_matched"), 2},
                              {QStringLiteral("fields_matched"), 2},
                              {QStringLiteral("max_hits_reached"), false},
                              {QStringLiteral("not_read"), 0},
                              {QStringLiteral("file_changed"), false}}));
    }

    // --max-hits stops after the claim that reaches it, and the summary says so.
    void maxHitsStopsTheSearch() {
        const QString path = write(QStringLiteral("s.nsf"), file.text);
        const QJsonObject all = search(path, {QStringLiteral("--json"), QStringLiteral("e")})
                                    .json()
                                    .object()
                                    .value(QStringLiteral("summary"))
                                    .toObject();
        const auto r = search(path, {QStringLiteral("--json"), QStringLiteral("--max-hits"),
                                     QStringLiteral("1"), QStringLiteral("e")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject doc = r.json().object();
        const QJsonObject summary = doc.value(QStringLiteral("summary")).toObject();
        QCOMPARE(doc.value(QStringLiteral("claims")).toArray().size(), 1);
        QCOMPARE(summary.value(QStringLiteral("max_hits_reached")), QJsonValue(true));
        QCOMPARE(summary.value(QStringLiteral("claims_matched")).toInt(), 1);
        QVERIFY(summary.value(QStringLiteral("fields_matched")).toInt() <
                all.value(QStringLiteral("fields_matched")).toInt());
        const auto text = search(path, {QStringLiteral("--max-hits=1"), QStringLiteral("e")});
        QVERIFY2(text.outText().contains(QStringLiteral("(stopped at the --max-hits limit)")),
                 text.out.constData());
        for (const char* bad : {"0", "-3", "x"})
            QCOMPARE(search(path,
                            {QStringLiteral("--max-hits"), QLatin1String(bad), QStringLiteral("e")})
                         .exitCode,
                     2);
        const auto check = CliRunner::run(
            {QStringLiteral("--max-hits"), QStringLiteral("1"), QStringLiteral("check"), path});
        QCOMPARE(check.exitCode, 2);
        QVERIFY2(check.errText().contains(QStringLiteral("--max-hits is for search only")),
                 check.err.constData());
    }

    // A map without fields (an empty map file, or a version that names no
    // map): nothing can match, so nothing did, with the usual output and one
    // line on standard error; a record type or field it lacks is refused.
    void searchOverAMapWithoutFields_data() {
        QTest::addColumn<bool>("unknownVersion");
        QTest::newRow("an empty map") << false;
        QTest::newRow("a version without a map") << true;
    }

    void searchOverAMapWithoutFields() {
        QFETCH(bool, unknownVersion);
        std::string bytes = file.text.bytes();
        if (unknownVersion)
            bytes = records.fileHeader("QMTESTSUB01", "99999") + bytes.substr(bytes.find('\r'));
        const QString path = write(QStringLiteral("m.nsf"), ClaimFileBuilder().addRaw(bytes));
        QTemporaryDir maps;
        QFile(maps.filePath(QStringLiteral("nsf0301.map"))).open(QIODevice::WriteOnly);
        auto run = [&](const QStringList& arguments) {
            return CliRunner::run(
                QStringList{QStringLiteral("--maps"), maps.path(), QStringLiteral("search"), path} +
                arguments);
        };
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--json"), QStringLiteral("SMITH")},
              QStringList{QStringLiteral("--json"), QStringLiteral("--number"),
                          QStringLiteral("5")},
              QStringList{QStringLiteral("SMITH")}}) {
            const auto r = run(arguments);
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(r.errText().count(QStringLiteral("no fields")), 1);
            if (arguments.first() != QLatin1String("--json")) {
                QCOMPARE(r.outText(),
                         QStringLiteral("Claims: 3, with matches: 0, fields matched: 0\n"));
                continue;
            }
            const QJsonObject doc = r.json().object();
            QCOMPARE(doc.value(QStringLiteral("claims")).toArray().size(), 0);
            QCOMPARE(doc.value(QStringLiteral("summary")).toObject(),
                     QJsonObject({{QStringLiteral("claims"), 3},
                                  {QStringLiteral("claims_matched"), 0},
                                  {QStringLiteral("fields_matched"), 0},
                                  {QStringLiteral("max_hits_reached"), false},
                                  {QStringLiteral("not_read"), 0},
                                  {QStringLiteral("file_changed"), false}}));
        }
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("SMITH"), QStringLiteral("--type"), QStringLiteral("CA0")},
              QStringList{QStringLiteral("SMITH"), QStringLiteral("--field"),
                          QStringLiteral("CA0 03.0")}}) {
            const auto r = run(arguments);
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.out.isEmpty());
        }
    }

    // Text: one line a claim, one a field with its value trimmed and escaped.
    void textEscapesControlCharacters() {
        const QString path = dir.filePath(QStringLiteral("esc.nsf"));
        ClaimFileBuilder().addRaw(records.claimWithControlCharacters()).write(path);
        const auto r = search(path, {QStringLiteral("pwn")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains('\x1b'));
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY2(lines.size() == 4, r.out.constData());
        QVERIFY(lines[0].startsWith(QStringLiteral("CA0")));
        QCOMPARE(lines[1], QStringLiteral("  CA0 04.0 ") +
                               QString::fromStdString(records.name("CA0", "04.0")) +
                               QStringLiteral(": X\\x1b]0;pwn\\x07\\nY"));
        QCOMPARE(lines[2], QStringLiteral("Claims: 1, with matches: 1, fields matched: 1"));
    }
};

QTEST_GUILESS_MAIN(CliSearchTest)
#include "CliSearchTest.moc"

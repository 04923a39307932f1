#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>

// `diff A B`: each difference with the fields that differ, as text or JSON,
// then a summary; exit 0 for the same files, 1 when they differ, 2 when it
// cannot compare them.
class CliDiffTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    // The two-batch file; `changed`: claim A with an impossible service date
    // and claim C's totals put right.
    QString write(const QString& name, bool changed) {
        TwoBatchFile::Options options;
        options.invalidServiceDate = changed;
        options.wrongTotalsInC = !changed;
        const QString path = dir.filePath(name);
        TwoBatchFile(records, options).text.write(path);
        return path;
    }
    CliRunner::Result diff(const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()} +
                              arguments);
    }

private slots:
    void textAndExitStatus_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        const TwoBatchFile file(records);
        const QString a = QString::fromStdString(file.claimA);
        const QString c = QString::fromStdString(file.claimC);
        const QString lineCounts =
            QStringLiteral("Lines: A %1, B %1; added 0, removed 0, changed 0")
                .arg(QString::fromStdString(file.text.bytes()).count(QStringLiteral("\r\n")));
        const QStringList summary{
            QStringLiteral("Claims: A 3, B 3; added 0, removed 0, changed %1, moved 0"),
            QStringLiteral("Batches: A 2, B 2; added 0, removed 0, changed 0"),
            QStringLiteral("File headers: A 1, B 1; added 0, removed 0, changed 0")};
        QTest::newRow("the same")
            << false << QStringList() << 0
            << QStringList{summary[0].arg(0), summary[1], summary[2], lineCounts,
                           QStringLiteral("The files hold the same claims with the same values.")};
        const QStringList changes{
            QStringLiteral("changed claim  A %1, B %1  DOE, JANE  A001  1 field differs").arg(a),
            QStringLiteral("    FA0-1 05.0 Service Date From: \"\" -> \"20231340\""),
            QStringLiteral("changed claim  A %1, B %1  POE, EDGAR  C003  1 field differs").arg(c),
            QStringLiteral("    XA0 12.0 Total Claim Charges: \"0000101\" -> \"0000100\"")};
        QTest::newRow("two claims changed")
            << true << QStringList() << 1
            << changes + QStringList{summary[0].arg(2), summary[1], summary[2], lineCounts,
                                     QStringLiteral("Differences: 2")};
        QTest::newRow("by position")
            << true << QStringList{QStringLiteral("--match"), QStringLiteral("position")} << 1
            << changes + QStringList{summary[0].arg(2), summary[1], summary[2], lineCounts,
                                     QStringLiteral("Differences: 2")};
    }

    void textAndExitStatus() {
        QFETCH(bool, changed);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        const auto r =
            diff(QStringList{QStringLiteral("diff"), write(QStringLiteral("a.nsf"), false),
                             write(QStringLiteral("b.nsf"), changed)} +
                 options);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
        QVERIFY(r.err.isEmpty());
    }

    // JSON gives the values whole, null for a record one side lacks, and
    // every count.
    void json() {
        const QString a = write(QStringLiteral("a.nsf"), false);
        const QString b = write(QStringLiteral("b.nsf"), true);
        const auto r = diff({QStringLiteral("--json"), QStringLiteral("diff"), a, b});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject doc = r.json().object();
        const QJsonArray differences = doc.value(QStringLiteral("differences")).toArray();
        QCOMPARE(differences.size(), 2);
        const QJsonObject first = differences[0].toObject();
        const TwoBatchFile file(records);
        const QJsonObject place{{QStringLiteral("key"), QString::fromStdString(file.claimA)},
                                {QStringLiteral("batch"), QString::fromStdString(file.batch1)},
                                {QStringLiteral("text"), QStringLiteral("CA0: DOE, JANE (A001)")},
                                {QStringLiteral("line"), 3}};
        QCOMPARE(first.value(QStringLiteral("kind")).toString(), QStringLiteral("changed"));
        QCOMPARE(first.value(QStringLiteral("unit")).toString(), QStringLiteral("claim"));
        QCOMPARE(first.value(QStringLiteral("a")).toObject(), place);
        QCOMPARE(first.value(QStringLiteral("b")).toObject(), place);
        QCOMPARE(
            first.value(QStringLiteral("fields")).toArray(),
            QJsonArray({QJsonObject({{QStringLiteral("record"), QStringLiteral("FA0-1")},
                                     {QStringLiteral("id"), QStringLiteral("05.0")},
                                     {QStringLiteral("name"), QStringLiteral("Service Date From")},
                                     {QStringLiteral("other_name"), QJsonValue()},
                                     {QStringLiteral("a"), QStringLiteral("        ")},
                                     {QStringLiteral("b"), QStringLiteral("20231340")}})}));
        QCOMPARE(doc.value(QStringLiteral("a")).toObject().value(QStringLiteral("version")),
                 QJsonValue(QStringLiteral("00301")));
        QCOMPARE(doc.value(QStringLiteral("match")).toString(), QStringLiteral("pcn"));
        const QJsonObject summary = doc.value(QStringLiteral("summary")).toObject();
        QCOMPARE(summary.value(QStringLiteral("claims")).toObject(),
                 QJsonObject({{QStringLiteral("a"), 3},
                              {QStringLiteral("b"), 3},
                              {QStringLiteral("added"), 0},
                              {QStringLiteral("removed"), 0},
                              {QStringLiteral("changed"), 2},
                              {QStringLiteral("moved"), 0}}));
        QCOMPARE(summary.value(QStringLiteral("differences")).toInt(), 2);
        QCOMPARE(summary.value(QStringLiteral("changed_b")).toBool(), false);
    }

    // A value is shown without its trailing blanks, unless they alone
    // differ (a field of other lengths in two versions' maps), and a field
    // the maps name differently shows both names.
    void blanksShownWhereTheyDiffer() {
        const QString a = dir.filePath(QStringLiteral("v301.nsf"));
        const QString b = dir.filePath(QStringLiteral("v200.nsf"));
        ClaimFileBuilder().add(records.fileHeader("QMTESTSUB01", "00301")).write(a);
        const NsfRecords v200(MAPS_DIR, "nsf0200.map");
        ClaimFileBuilder().add(v200.fileHeader("QMTESTSUB01", "00200")).write(b);
        const auto r = diff({QStringLiteral("diff"), a, b});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("    AA0 19.0 Version Code-National: \"00301\" -> "
                                               "\"00200\"")),
                 r.out.constData());
        QVERIFY2(
            lines.contains(QStringLiteral("    AA0 28.0 Coordination of Benefits File "
                                          "Indicator (B: Filler - National): \" \" -> \"  \"")),
            r.out.constData());
    }

    // A line the units do not show is a row of its own, in text and JSON;
    // files read without fields (an empty map, a version no map is named
    // for) compare their lines: never "the same" when they differ.
    void linesAreRowsOfTheirOwn_data() {
        QTest::addColumn<QString>("maps"); // "empty": a folder whose map is empty
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("row");
        QTest::newRow("a stray line") << QString() << QStringLiteral("00301")
                                      << QStringLiteral("added line  B line %1  a line too short "
                                                        "to be a record in batch %2, outside its "
                                                        "claims");
        QTest::newRow("an empty map")
            << QStringLiteral("empty") << QStringLiteral("00301")
            << QStringLiteral("changed line  A line 6, B line 6  an FA0 replaced by a later one "
                              "in claim %3");
        QTest::newRow("a version without a map")
            << QString() << QStringLiteral("00999")
            << QStringLiteral("changed line  A line 6, B line 6  an FA0 replaced by a later one "
                              "in claim %3");
    }

    void linesAreRowsOfTheirOwn() {
        QFETCH(QString, maps);
        QFETCH(QString, version);
        QFETCH(QString, row);
        const TwoBatchFile file(records);
        const std::string plain = file.text.bytes();
        // Claim A's first service line gets another date where no map has fields.
        TwoBatchFile::Options options;
        options.invalidServiceDate = true;
        std::string changed = TwoBatchFile(records, options).text.bytes();
        const std::size_t afterB = plain.find("\r\nYA0");
        if (maps.isEmpty() && version == QLatin1String("00301"))
            changed = plain.substr(0, afterB + 2) + "stray\r\n" + plain.substr(afterB + 2);
        std::array<QString, 2> paths{dir.filePath(QStringLiteral("lines-a.nsf")),
                                     dir.filePath(QStringLiteral("lines-b.nsf"))};
        for (int side = 0; side < 2; ++side) {
            std::string bytes = side ? changed : plain;
            QCOMPARE(bytes.find("00301", 1), bytes.rfind("00301", 320));
            bytes.replace(bytes.find("00301"), 5, version.toStdString());
            ClaimFileBuilder().addRaw(bytes).write(paths[std::size_t(side)]);
        }
        QString mapsDir = CliRunner::mapsDir();
        if (maps == QLatin1String("empty")) {
            mapsDir = dir.filePath(QStringLiteral("empty-maps"));
            QVERIFY(QDir().mkpath(mapsDir));
            ClaimFileBuilder().write(mapsDir + QStringLiteral("/nsf0301.map"));
        }
        const QString line =
            QString::number(std::count(plain.begin(), plain.begin() + afterB, '\n') + 2);
        row.replace(QStringLiteral("%1"), line)
            .replace(QStringLiteral("%2"), QString::fromStdString(file.batch1))
            .replace(QStringLiteral("%3"), QString::fromStdString(file.claimA));
        const QStringList base{QStringLiteral("--maps"), mapsDir};
        const auto same =
            CliRunner::run(base + QStringList{QStringLiteral("diff"), paths[0], paths[0]});
        QCOMPARE(same.exitCode, 0);
        const auto r =
            CliRunner::run(base + QStringList{QStringLiteral("diff"), paths[0], paths[1]});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(row), r.out.constData());
        QVERIFY(!r.outText().contains(QStringLiteral("the same claims")));
        if (!maps.isEmpty() || version != QLatin1String("00301"))
            return;
        QCOMPARE(lines.at(lines.indexOf(row) + 1), QStringLiteral("    B: \"stray\""));
        const auto json =
            CliRunner::run(base + QStringList{QStringLiteral("--json"), QStringLiteral("diff"),
                                              paths[0], paths[1]});
        const QJsonObject doc = json.json().object();
        QCOMPARE(doc.value(QStringLiteral("differences")).toArray(),
                 QJsonArray(
                     {QJsonObject({{QStringLiteral("kind"), QStringLiteral("added")},
                                   {QStringLiteral("unit"), QStringLiteral("line")},
                                   {QStringLiteral("a"), QJsonValue()},
                                   {QStringLiteral("b"),
                                    QJsonObject({{QStringLiteral("key"), QJsonValue()},
                                                 {QStringLiteral("batch"), QJsonValue()},
                                                 {QStringLiteral("text"), QStringLiteral("stray")},
                                                 {QStringLiteral("line"), line.toInt()}})},
                                   {QStringLiteral("name"), row.section(QStringLiteral("  "), 2)},
                                   {QStringLiteral("number"), QString()},
                                   {QStringLiteral("fields"), QJsonArray()}})}));
        QCOMPARE(doc.value(QStringLiteral("summary"))
                     .toObject()
                     .value(QStringLiteral("lines"))
                     .toObject()
                     .value(QStringLiteral("added")),
                 QJsonValue(1));
    }

    void errors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("one file") << QStringList{QStringLiteral("diff"), QStringLiteral("A")}
                                  << QStringLiteral("diff needs two files");
        QTest::newRow("unknown pairing")
            << QStringList{QStringLiteral("diff"), QStringLiteral("A"), QStringLiteral("B"),
                           QStringLiteral("--match"), QStringLiteral("name")}
            << QStringLiteral("--match needs pcn or position");
        QTest::newRow("pairing for another command")
            << QStringList{QStringLiteral("check"), QStringLiteral("A"), QStringLiteral("--match"),
                           QStringLiteral("pcn")}
            << QStringLiteral("--match is for diff only");
        QTest::newRow("B missing") << QStringList{QStringLiteral("diff"), QStringLiteral("A"),
                                                  QStringLiteral("missing.nsf")}
                                   << QStringLiteral("missing.nsf: Unable to Open File");
        QTest::newRow("B no claim file")
            << QStringList{QStringLiteral("diff"), QStringLiteral("A"), QStringLiteral("text.txt")}
            << QStringLiteral("text.txt: ");
    }

    void errors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QString a = write(QStringLiteral("A"), false);
        ClaimFileBuilder().add("just text").write(dir.filePath(QStringLiteral("text.txt")));
        for (QString& argument : arguments)
            if (argument == QLatin1String("A") || argument.endsWith(QLatin1String(".txt")) ||
                argument.endsWith(QLatin1String(".nsf")))
                argument = dir.filePath(argument);
        const auto r = diff(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.errText().contains(message), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(CliDiffTest)
#include "CliDiffTest.moc"

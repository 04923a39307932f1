#include "CliRunner.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// `summary`: the file's figures as text and JSON, the same as check counts them.
class CliSummaryTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    QString path() {
        const QString file = dir.filePath(QStringLiteral("two.nsf"));
        TwoBatchFile(records).text.write(file);
        return file;
    }
    static CliRunner::Result run(const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()}
                              << arguments);
    }

private slots:
    void jsonGivesTheFiguresCheckCounts() {
        const auto r = run({QStringLiteral("--json"), QStringLiteral("summary"), path()});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject s = r.json().object();
        const auto checked = run({QStringLiteral("--json"), QStringLiteral("check"), path()});
        const QJsonObject c = checked.json().object().value(QStringLiteral("summary")).toObject();
        // key, figure: two batches, three claims, four service lines, 35.00 + 7.00 + 1.01
        // stated, and the lines' charges beside them
        const std::vector<std::pair<const char*, int>> figures{
            {"batches", 2},
            {"claims", 3},
            {"service_lines", 4},
            {"total_charges", 4301},
            {"total_line_charges", 4300},
            {"claims_without_xa0", c.value(QStringLiteral("without_xa0")).toInt(-1)},
            {"problems", c.value(QStringLiteral("problems")).toInt(-1)}};
        for (const auto& [key, figure] : figures)
            QVERIFY2(s.value(QLatin1String(key)).toInt(-1) == figure, key);
        QCOMPARE(s.value(QStringLiteral("problems_by_kind"))
                     .toObject()
                     .value(QStringLiteral("totals_do_not_compute"))
                     .toInt(),
                 1);
        const QJsonArray batches = s.value(QStringLiteral("per_batch")).toArray();
        QCOMPARE(batches.size(), 2);
        QCOMPARE(batches.at(1).toObject().value(QStringLiteral("charges")).toInt(), 101);
    }

    void textTablesReadAsMoney() {
        const auto r = run({QStringLiteral("summary"), path()});
        QCOMPARE(r.exitCode, 0);
        for (const char* line : {"Claims              3", "Claim charges       $43.01",
                                 "Line charges        $43.00", "Claims without XA0  0",
                                 "Claims by month of service", "Top procedure codes by charges"})
            QVERIFY2(r.outText().contains(QLatin1String(line)), line);
    }

    // Every batch is listed, however many: they are written as the check
    // hands them on, not kept.
    void everyBatchIsListed_data() {
        QTest::addColumn<bool>("json");
        QTest::newRow("text") << false;
        QTest::newRow("JSON") << true;
    }

    void everyBatchIsListed() {
        QFETCH(bool, json);
        const QString file = dir.filePath(QStringLiteral("batches.nsf"));
        QVERIFY(GeneratedFiles::write(
            QStringLiteral("--version 00301 --claims 120 --batches 40 --seed 3")
                .split(QLatin1Char(' ')),
            file));
        QStringList arguments{QStringLiteral("summary"), file};
        if (json)
            arguments.prepend(QStringLiteral("--json"));
        const auto r = run(arguments);
        QCOMPARE(r.exitCode, 0);
        if (json) {
            const QJsonArray batches =
                r.json().object().value(QStringLiteral("per_batch")).toArray();
            QCOMPARE(batches.size(), 40);
            QCOMPARE(batches.last().toObject().value(QStringLiteral("claims")).toInt(), 3);
        } else {
            QVERIFY(r.outText().contains(QRegularExpression(QStringLiteral("\n +40  BA0: "))));
        }
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no file") << QStringList{QStringLiteral("summary")};
        QTest::newRow("check's option") << QStringList{
            QStringLiteral("summary"), QStringLiteral("x.nsf"), QStringLiteral("--problems-only")};
        QTest::newRow("a key") << QStringList{QStringLiteral("summary"), QStringLiteral("x.nsf"),
                                              QStringLiteral("CA01")};
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        const auto r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.errText().contains(QLatin1String("summary FILE")));
    }
};

QTEST_GUILESS_MAIN(CliSummaryTest)
#include "CliSummaryTest.moc"

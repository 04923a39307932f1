#include "CliRunner.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// `check`: every claim clicked in tree order, its verdicts, the summary and the exit status.
class CliCheckTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    CliRunner::Result check(const TwoBatchFile& file, bool json, bool problemsOnly = false) {
        const QString path = dir.filePath(QStringLiteral("check.nsf"));
        file.text.write(path);
        return check(path, json, problemsOnly);
    }
    static CliRunner::Result check(const QString& path, bool json, bool problemsOnly) {
        QStringList args{QStringLiteral("--maps"), CliRunner::mapsDir()};
        if (json)
            args << QStringLiteral("--json");
        if (problemsOnly)
            args << QStringLiteral("--problems-only");
        return CliRunner::run(args << QStringLiteral("check") << path);
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
        return dir.filePath(name);
    }
    static QByteArray sample() {
        QFile f(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("no sample");
        return f.readAll();
    }
    static QJsonObject summary(const CliRunner::Result& r) {
        return r.json().object().value(QStringLiteral("summary")).toObject();
    }

private slots:
    void cleanFilePassesWithStatusZero() {
        TwoBatchFile::Options options;
        options.wrongTotalsInC = false;
        const TwoBatchFile file(records, options);
        const auto r = check(file, true);
        QCOMPARE(r.exitCode, 0);
        const QJsonObject s = summary(r);
        QCOMPARE(s.value(QStringLiteral("claims")).toInt(), 3);
        QCOMPARE(s.value(QStringLiteral("totals_failed")).toInt(-1), 0);
        QCOMPARE(s.value(QStringLiteral("with_invalid_fields")).toInt(-1), 0);
        for (const QJsonValue& v : r.json().object().value(QStringLiteral("claims")).toArray()) {
            QVERIFY(v.toObject().value(QStringLiteral("totals_ok")).toBool(false));
            QVERIFY(v.toObject().value(QStringLiteral("mismatched")).toArray().isEmpty());
            QVERIFY(v.toObject().value(QStringLiteral("invalid")).toArray().isEmpty());
        }
    }

    void claimsComeInTreeOrderWithTheirVerdicts() {
        TwoBatchFile::Options options;
        options.invalidServiceDate = true;
        const TwoBatchFile file(records, options);
        const auto r = check(file, true);
        QCOMPARE(r.exitCode, 1);
        const QJsonArray claims = r.json().object().value(QStringLiteral("claims")).toArray();
        QCOMPARE(claims.size(), 3);
        const QJsonObject a = claims[0].toObject();
        const QJsonObject b = claims[1].toObject();
        const QJsonObject c = claims[2].toObject();
        QCOMPARE(a.value(QStringLiteral("key")).toString(), QString::fromStdString(file.claimA));
        QCOMPARE(a.value(QStringLiteral("text")).toString(),
                 QStringLiteral("CA0: DOE, JANE (A001)"));
        QCOMPARE(b.value(QStringLiteral("key")).toString(), QString::fromStdString(file.claimB));
        QCOMPARE(c.value(QStringLiteral("key")).toString(), QString::fromStdString(file.claimC));

        // A: totals right, one date that is no date.
        QCOMPARE(a.value(QStringLiteral("totals_ok")).toBool(false), true);
        const QJsonArray invalid = a.value(QStringLiteral("invalid")).toArray();
        QCOMPARE(invalid.size(), 1);
        QCOMPARE(invalid[0].toObject(),
                 QJsonObject(
                     {{QStringLiteral("node"), QStringLiteral("FA0-1")},
                      {QStringLiteral("id"), QStringLiteral("05.0")},
                      {QStringLiteral("name"), QString::fromStdString(records.name("FA0", "05.0"))},
                      {QStringLiteral("value"), QStringLiteral("20231340")}}));
        // B: clean.
        QCOMPARE(b.value(QStringLiteral("totals_ok")).toBool(false), true);
        QVERIFY(b.value(QStringLiteral("invalid")).toArray().isEmpty());
        // C: the charge total is off; it is listed once, as a mismatch.
        QCOMPARE(c.value(QStringLiteral("totals_ok")).toBool(true), false);
        QCOMPARE(c.value(QStringLiteral("mismatched")).toArray(),
                 QJsonArray({QStringLiteral("12.0")}));
        QVERIFY(c.value(QStringLiteral("invalid")).toArray().isEmpty());

        const QJsonObject s = summary(r);
        QCOMPARE(s.value(QStringLiteral("claims")).toInt(), 3);
        QCOMPARE(s.value(QStringLiteral("totals_failed")).toInt(), 1);
        QCOMPARE(s.value(QStringLiteral("with_invalid_fields")).toInt(), 1);
    }

    void wrongTotalsAloneFailTheRun() {
        const auto r = check(TwoBatchFile(records), true);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(summary(r).value(QStringLiteral("totals_failed")).toInt(), 1);
        QCOMPARE(summary(r).value(QStringLiteral("with_invalid_fields")).toInt(-1), 0);
    }

    void claimWithoutTrailerIsAProblem() {
        ClaimFileBuilder text;
        text.add(records.fileHeader("SUB", "00301"));
        text.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}));
        // The first claim has no XA0: it ends at the second claim's CA0.
        const std::string first =
            text.key("CA0", text.append(records.record("CA0", {{"03.0", "P1"}})));
        text.add(records.record("FA0", {{"02.0", "1"}, {"13.0", "100"}}));
        const std::string second =
            text.key("CA0", text.append(records.record("CA0", {{"03.0", "P2"}})));
        text.add(records.record("XA0", {{"04.0", "1"}, {"10.0", "1"}, {"12.0", "0"}}));
        text.add(records.record("YA0"));
        text.add(records.record("ZA0"));
        const QString path = dir.filePath(QStringLiteral("notrailer.nsf"));
        text.write(path);
        const auto r = CliRunner::run(
            {QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("check"), path});
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        const qsizetype at =
            lines.indexOf(QStringLiteral("%1  CA0: ,  (P1)").arg(QString::fromStdString(first)));
        QVERIFY2(at >= 0, r.out.constData());
        QCOMPARE(lines.value(at + 1), QStringLiteral("  totals: no XA0: nothing compared"));
        QCOMPARE(lines.value(at + 2),
                 QStringLiteral("  problem: No XA0: the claim has no trailer of its own; its "
                                "totals were not compared"));
        const qsizetype next =
            lines.indexOf(QStringLiteral("%1  CA0: ,  (P2)").arg(QString::fromStdString(second)));
        QCOMPARE(lines.value(next + 1), QStringLiteral("  totals: ok"));
        QCOMPARE(r.exitCode, 1);
    }

    // The problems as one flat list, the same rows (and words) as the text;
    // with --problems-only only the claims that have one.
    void jsonListsEveryProblemOnce() {
        TwoBatchFile::Options options;
        options.invalidServiceDate = true;
        const TwoBatchFile file(records, options);
        for (const bool problemsOnly : {false, true}) {
            const auto r = check(file, true, problemsOnly);
            QCOMPARE(r.exitCode, 1);
            const QJsonObject document = r.json().object();
            const QJsonArray problems = document.value(QStringLiteral("problems")).toArray();
            QCOMPARE(problems.size(), 2);
            const QJsonObject invalid = problems[0].toObject();
            QCOMPARE(invalid.value(QStringLiteral("kind")).toString(),
                     QStringLiteral("invalid_value"));
            QCOMPARE(invalid.value(QStringLiteral("where")).toString(), QStringLiteral("claim"));
            QCOMPARE(invalid.value(QStringLiteral("batch")).toString(),
                     QString::fromStdString(file.batch1));
            QCOMPARE(invalid.value(QStringLiteral("claim")).toString(),
                     QString::fromStdString(file.claimA));
            QCOMPARE(invalid.value(QStringLiteral("record")).toString(), QStringLiteral("FA0-1"));
            QCOMPARE(invalid.value(QStringLiteral("id")).toString(), QStringLiteral("05.0"));
            QCOMPARE(invalid.value(QStringLiteral("found")).toString(), QStringLiteral("20231340"));
            QVERIFY(invalid.value(QStringLiteral("expected")).isNull());
            const QJsonObject totals = problems[1].toObject();
            QCOMPARE(totals.value(QStringLiteral("kind")).toString(),
                     QStringLiteral("totals_do_not_compute"));
            QCOMPARE(totals.value(QStringLiteral("claim")).toString(),
                     QString::fromStdString(file.claimC));
            QCOMPARE(totals.value(QStringLiteral("found")).toString(), QStringLiteral("0000101"));
            QCOMPARE(totals.value(QStringLiteral("expected")).toInt(), 100);
            QCOMPARE(totals.value(QStringLiteral("text")).toString(),
                     QStringLiteral("Totals do not compute: %1: the XA0 states $1.01, the "
                                    "lines add up to $1.00")
                         .arg(QString::fromStdString(records.name("XA0", "12.0"))));
            const QJsonArray claims = document.value(QStringLiteral("claims")).toArray();
            QCOMPARE(claims.size(), problemsOnly ? 2 : 3);
            const QJsonObject summary = document.value(QStringLiteral("summary")).toObject();
            QCOMPARE(summary.value(QStringLiteral("claims_with_problems")).toInt(), 2);
            QCOMPARE(summary.value(QStringLiteral("batches")).toInt(), 2);
            QCOMPARE(summary.value(QStringLiteral("problems")).toInt(), 2);
            QCOMPARE(summary.value(QStringLiteral("file_changed")).toBool(true), false);
            // The text says the same in the same words.
            const auto text = check(file, false, problemsOnly);
            for (const QJsonValue& problem : problems)
                QVERIFY2(text.outText().contains(
                             QStringLiteral("  problem: ") +
                             problem.toObject().value(QStringLiteral("text")).toString()),
                         text.out.constData());
            QCOMPARE(text.outText().contains(QString::fromStdString(file.claimB)), !problemsOnly);
        }
    }

    // The three files a new user found passing: cut short, with LF line ends,
    // and with a claim without its XA0.
    void filesThatOncePassed_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("cut short")
            << sample().left(5200)
            << QStringList{QStringLiteral("no_xa0"), QStringLiteral("cut_last_line"),
                           QStringLiteral("batch_without_trailer"),
                           QStringLiteral("no_file_trailer")};
        QTest::newRow("LF line ends") << QByteArray(sample()).replace("\r", "")
                                      << QStringList{QStringLiteral("lf_only_line_ends")};
        QTest::newRow("claim without XA0")
            << GeneratedFiles::generate({QStringLiteral("--version"), QStringLiteral("00301"),
                                         QStringLiteral("--claims"), QStringLiteral("5"),
                                         QStringLiteral("--no-xa0"), QStringLiteral("3")})
            << QStringList{QStringLiteral("no_xa0")};
    }

    void filesThatOncePassed() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, kinds);
        const QString path = write(QStringLiteral("once.nsf"), bytes);
        for (const bool json : {true, false}) {
            const auto r = check(path, json, true);
            QCOMPARE(r.exitCode, 1);
            if (!json)
                continue;
            QStringList found;
            for (const QJsonValue& problem :
                 r.json().object().value(QStringLiteral("problems")).toArray())
                found << problem.toObject().value(QStringLiteral("kind")).toString();
            QCOMPARE(found, kinds);
        }
    }

    void textReportsEachClaimAndASummary() {
        TwoBatchFile::Options options;
        options.invalidServiceDate = true;
        const TwoBatchFile file(records, options);
        const auto r = check(file, false);
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY(lines.contains(
            QStringLiteral("%1  CA0: POE, EDGAR (C003)").arg(QString::fromStdString(file.claimC))));
        QVERIFY2(lines.contains(QStringLiteral("  totals: do not compute, XA0 fields 12.0")),
                 r.out.constData());
        QVERIFY(lines.contains(QStringLiteral("  problem: Invalid value: FA0-1 05.0 %1 \u2014 "
                                              "\"20231340\"")
                                   .arg(QString::fromStdString(records.name("FA0", "05.0")))));
        QVERIFY(lines.contains(
            QStringLiteral("Claims: 3, totals not computing: 1, with invalid fields: 1")));
        QVERIFY(lines.contains(QStringLiteral("Claims with problems: 2, without XA0: 0; batches: "
                                              "2, with problems: 0; problems of the file: 0")));
    }
};

QTEST_GUILESS_MAIN(CliCheckTest)
#include "CliCheckTest.moc"

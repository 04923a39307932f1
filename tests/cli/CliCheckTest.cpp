#include "CliRunner.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

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
    static CliRunner::Result check(const QString& path, bool json, bool problemsOnly,
                                   const QString& maps = CliRunner::mapsDir()) {
        QStringList args{QStringLiteral("--maps"), maps};
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
                 QStringLiteral("  error: No XA0: the claim has no trailer of its own; its "
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
            QCOMPARE(totals.value(QStringLiteral("expected")).toString(), QStringLiteral("100"));
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
                             QStringLiteral("  error: ") +
                             problem.toObject().value(QStringLiteral("text")).toString()),
                         text.out.constData());
            QCOMPARE(text.outText().contains(QString::fromStdString(file.claimB)), !problemsOnly);
        }
    }

    // Rows enough that the flat list is kept in a file and read back in
    // blocks that end within rows, some with values of their own: every
    // row comes back, in order, in the words of the text.
    void jsonListKeptInAFileComesBackWhole() {
        QByteArray bytes = GeneratedFiles::generate(QStringList{
            QStringLiteral("--version"), QStringLiteral("00301"), QStringLiteral("--claims"),
            QStringLiteral("60000"), QStringLiteral("--batches"), QStringLiteral("30"),
            QStringLiteral("--bare-claims")});
        // Every third claim's date of birth fails its check: rows of two sizes.
        const int dob = records.start("CA0", "08.0") - 1;
        int claims = 0;
        for (int at = bytes.indexOf("\nCA0"); at >= 0; at = bytes.indexOf("\nCA0", at + 1))
            if (++claims % 3 == 0)
                bytes.replace(at + 1 + dob, 8, QByteArray("2023134X"));
        const QString path = write(QStringLiteral("many.nsf"), bytes);
        const auto json = check(path, true, false);
        const auto text = check(path, false, false);
        QCOMPARE(json.exitCode, 1);
        QStringList rows;
        for (const QJsonValue& problem :
             json.json().object().value(QStringLiteral("problems")).toArray())
            rows << problem.toObject().value(QStringLiteral("text")).toString();
        QStringList lines;
        for (const QString& line : text.outText().split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("  error: ")))
                lines << line.mid(9);
        QVERIFY(rows.size() > 60000);
        QCOMPARE(rows, lines);
    }

    // The shipped maps less the lines of these field definitions.
    QString mapsWithout(const QString& name, const QStringList& definitions) {
        QDir().mkpath(dir.filePath(name));
        QFile shipped(CliRunner::mapsDir() + QStringLiteral("/nsf0301.map"));
        if (!shipped.open(QIODevice::ReadOnly))
            qFatal("no map");
        QByteArray map;
        for (const QByteArray& line : shipped.readAll().split('\n'))
            if (std::none_of(definitions.begin(), definitions.end(),
                             [&](const QString& d) { return line.startsWith(d.toLatin1()); }))
                map += line + '\n';
        write(name + QStringLiteral("/nsf0301.map"), map);
        return dir.filePath(name);
    }

    // The files a new user found passing: cut short, with LF line ends, and
    // with a claim without its XA0, whatever the map (one without the XA0
    // fields the totals are compared with, or none for the file's version).
    void filesThatOncePassed_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("maps");
        QTest::addColumn<QStringList>("kinds");
        const QString maps = CliRunner::mapsDir();
        QTest::newRow("cut short")
            << sample().left(5200) << maps
            << QStringList{QStringLiteral("no_xa0"), QStringLiteral("cut_last_line"),
                           QStringLiteral("batch_without_trailer"),
                           QStringLiteral("no_file_trailer")};
        QTest::newRow("LF line ends") << QByteArray(sample()).replace("\r", "") << maps
                                      << QStringList{QStringLiteral("lf_only_line_ends")};
        const QByteArray noXa0 = GeneratedFiles::generate(
            {QStringLiteral("--version"), QStringLiteral("00301"), QStringLiteral("--claims"),
             QStringLiteral("2"), QStringLiteral("--no-xa0"), QStringLiteral("2")});
        QTest::newRow("claim without XA0")
            << noXa0 << maps << QStringList{QStringLiteral("no_xa0")};
        const QString notChecked = QStringLiteral("could_not_check");
        const QString trailer = QStringLiteral("trailer_could_not_check");
        QTest::newRow("claim without XA0, a map without XA0 12.0")
            << noXa0 << mapsWithout(QStringLiteral("lacking"), {QStringLiteral("XA0,12.0,")})
            << QStringList{notChecked, QStringLiteral("no_xa0")};
        // The version code in the file header's columns 244 to 248.
        QTest::newRow("claim without XA0, a version without a map")
            << QByteArray(noXa0).replace(243, 5, "00999") << maps
            << QStringList{notChecked, QStringLiteral("no_xa0"), trailer, trailer};
    }

    void filesThatOncePassed() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, maps);
        QFETCH(QStringList, kinds);
        const QString path = write(QStringLiteral("once.nsf"), bytes);
        for (const bool json : {true, false}) {
            const auto r = check(path, json, true, maps);
            QCOMPARE(r.exitCode, 1);
            if (!json)
                continue;
            QStringList found;
            for (const QJsonValue& problem :
                 r.json().object().value(QStringLiteral("problems")).toArray())
                found << problem.toObject().value(QStringLiteral("kind")).toString();
            QCOMPARE(found, kinds);
            // Totals are ok only where they were compared and agree, in a
            // click as in the check.
            for (const QJsonValue& claim :
                 r.json().object().value(QStringLiteral("claims")).toArray()) {
                QCOMPARE(claim[QStringLiteral("totals_ok")].toBool(),
                         claim[QStringLiteral("totals_state")].toString() == u"ok");
                if (claim[QStringLiteral("totals_state")] !=
                    QJsonValue(QStringLiteral("no_trailer")))
                    continue;
                const QJsonObject click =
                    CliRunner::run({QStringLiteral("--maps"), maps, QStringLiteral("--json"),
                                    QStringLiteral("claim"), path,
                                    claim[QStringLiteral("key")].toString()})
                        .json()
                        .array()[0]
                        .toObject();
                QCOMPARE(click[QStringLiteral("totals_state")].toString(),
                         QStringLiteral("no_trailer"));
                QCOMPARE(click[QStringLiteral("totals_ok")].toBool(true), false);
            }
        }
    }

    // What an XA0 states is given as stored, blanks and all, and what the
    // lines add up to as a figure of the same type, in every list.
    void foundIsAsStored() {
        ClaimFileBuilder text;
        text.add(records.fileHeader("SUB", "00301"));
        text.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}));
        const std::string claim =
            text.key("CA0", text.append(records.record("CA0", {{"03.0", "P1"}})));
        text.add(records.record("FA0", {{"02.0", "1"}, {"13.0", "100"}}));
        text.add(
            records.record("XA0", {{"04.0", "1"}, {"07.0", "1"}, {"10.0", "2"}, {"12.0", "101 "}}));
        text.add(records.record("YA0"));
        text.add(records.record("ZA0"));
        const QString path = dir.filePath(QStringLiteral("stored.nsf"));
        text.write(path);
        const QString stored = QStringLiteral("101").leftJustified(records.length("XA0", "12.0"));
        const QJsonObject document = check(path, true, false).json().object();
        const QJsonArray claims = document.value(QStringLiteral("claims")).toArray();
        QCOMPARE(claims.size(), 1);
        const QJsonArray mismatches = claims[0][QStringLiteral("mismatches")].toArray();
        QCOMPARE(mismatches.size(), 1);
        QCOMPARE(mismatches[0][QStringLiteral("found")], QJsonValue(stored));
        QCOMPARE(mismatches[0][QStringLiteral("expected")], QJsonValue(QStringLiteral("100")));
        int totals = 0;
        for (const QJsonValue& problem : document.value(QStringLiteral("problems")).toArray()) {
            // Found and expected have one type in every row: strings, or null.
            QVERIFY(!problem[QStringLiteral("found")].isDouble());
            QVERIFY(!problem[QStringLiteral("expected")].isDouble());
            if (problem[QStringLiteral("kind")] !=
                QJsonValue(QStringLiteral("totals_do_not_compute")))
                continue;
            ++totals;
            QCOMPARE(problem[QStringLiteral("found")], QJsonValue(stored));
            QCOMPARE(problem[QStringLiteral("expected")], QJsonValue(QStringLiteral("100")));
            QVERIFY(problem[QStringLiteral("text")].toString().endsWith(
                QStringLiteral("the XA0 states $1.01, the lines add up to $1.00")));
        }
        QCOMPARE(totals, 1);
        // A click says the same.
        const auto clicked = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                             QStringLiteral("--json"), QStringLiteral("claim"),
                                             path, QString::fromStdString(claim)});
        const QJsonObject click = clicked.json().array()[0].toObject();
        QCOMPARE(click[QStringLiteral("totals_ok")].toBool(true), false);
        for (const QJsonValue& comparison : click[QStringLiteral("comparisons")].toArray()) {
            QVERIFY(comparison[QStringLiteral("expected")].isString());
            if (comparison[QStringLiteral("id")] == QJsonValue(QStringLiteral("12.0")))
                QCOMPARE(comparison[QStringLiteral("found")], QJsonValue(stored));
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
        QVERIFY(lines.contains(QStringLiteral("  error: Invalid value: FA0-1 05.0 %1 \u2014 "
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

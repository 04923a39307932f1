#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// What makes the tool stop with status 2, and what it says then.
class CliErrorsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};
    TwoBatchFile file{records};
    QString path;

    static QString notNsf() {
        return QStringLiteral("This is not an NSF file. Can not locate the AA0 record!");
    }

private slots:
    void initTestCase() {
        path = dir.filePath(QStringLiteral("claims.nsf"));
        file.text.write(path);
    }

    void fileWithoutFileHeaderIsRejected() {
        ClaimFileBuilder text;
        text.add(records.record("BA0", {{"06.0", "123456789"}}));
        text.add(records.record("CA0", {{"03.0", "P1"}}));
        // Lower case and a leading blank are not a file header either.
        text.add(std::string("aa0") + records.record("AA0").substr(3));
        text.add(std::string(" ") + records.record("AA0", {{"19.0", "00301"}}));
        const QString noHeader = dir.filePath(QStringLiteral("noheader.nsf"));
        text.write(noHeader);
        for (const char* command : {"tree", "check"}) {
            const auto r = CliRunner::run(
                {QStringLiteral("--maps"), CliRunner::mapsDir(), QLatin1String(command), noHeader});
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.out.isEmpty());
            QVERIFY2(r.errText().contains(notNsf()), r.err.constData());
        }
    }

    // A missing map is the map loader's to report; the file is no less a claim file.
    void missingMapShowsOnlyTheLoaderMessage() {
        QTemporaryDir emptyMaps;
        const auto r = CliRunner::runCopy({QStringLiteral("--maps"), emptyMaps.path(),
                                           QStringLiteral("--json"), QStringLiteral("tree"), path},
                                          emptyMaps.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        // Every path tried is named: --maps, then the current folder.
        const qsizetype mapMessage = r.errText().indexOf(
            QStringLiteral(
                "Unable to open map file: nsf0301.map\n\nLooked for it at:\n%1/nsf0301.map")
                .arg(emptyMaps.path()));
        QVERIFY2(mapMessage >= 0, r.err.constData());
        QVERIFY2(!r.errText().contains(notNsf()), r.err.constData());
    }

    // The folder named with --maps is the only one looked in: one that is not
    // there, or lacks the file's map, is said (exit 2), never passed over for
    // the installed maps.
    void mapsFolderIsTheOnlyOneLookedIn_data() {
        QTest::addColumn<QString>("maps");
        QTest::addColumn<QString>("said");
        const QString none = dir.filePath(QStringLiteral("no-such-maps"));
        QTest::newRow("no such folder")
            << none << QStringLiteral("quillmark-cli: --maps %1: no such folder\n").arg(none);
        QTest::newRow("a file")
            << path << QStringLiteral("quillmark-cli: --maps %1: not a folder\n").arg(path);
        const QString other = dir.filePath(QStringLiteral("maps-0200"));
        QTest::newRow("no map for this version")
            << other
            << QStringLiteral("Unable to open map file: nsf0301.map\n\nLooked for it at:\n%1/"
                              "nsf0301.map\n")
                   .arg(other);
    }

    void mapsFolderIsTheOnlyOneLookedIn() {
        QFETCH(QString, maps);
        QFETCH(QString, said);
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("maps-0200"))));
        QFile::copy(CliRunner::mapsDir() + QStringLiteral("/nsf0200.map"),
                    dir.filePath(QStringLiteral("maps-0200/nsf0200.map")));
        const auto r = CliRunner::run(
            {QStringLiteral("--maps"), maps, QStringLiteral("tree"), path}, CliRunner::mapsDir());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.errText().contains(said), r.err.constData());
    }

    // A value pasted by mistake is not echoed whole.
    void longValuesAreCutInMessages_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString huge(100000, QLatin1Char('A'));
        QTest::newRow("--pcn") << QStringList{QStringLiteral("claim"), path,
                                              QStringLiteral("--pcn"), huge};
        QTest::newRow("node key") << QStringList{QStringLiteral("claim"), path, huge};
    }

    void longValuesAreCutInMessages() {
        QFETCH(QStringList, arguments);
        const auto r =
            CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()} + arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.size() < 400, r.err.left(400).constData());
        QVERIFY2(r.errText().contains(QStringLiteral("AAAA... (100000 bytes)")), r.err.constData());
    }

    void unreadableFileIsNamedWithTheReason() {
        const QString missing = dir.filePath(QStringLiteral("no-such-file.nsf"));
        const auto r = CliRunner::run(
            {QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("tree"), missing});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.errText().contains(missing), r.err.constData());
        QVERIFY2(r.errText().contains(QStringLiteral("No such file")), r.err.constData());
        QVERIFY(!r.errText().contains(notNsf()));
    }

    void unknownKeyStopsBeforeAnyClick_data() {
        QTest::addColumn<QString>("badKey");
        QTest::newRow("no node there") << QStringLiteral("CA0646");
        QTest::newRow("leading zero") << QStringLiteral("CA00645");
        QTest::newRow("claim trailer") << QStringLiteral("XA0645");
        QTest::newRow("type only") << QStringLiteral("CA0");
    }

    void unknownKeyStopsBeforeAnyClick() {
        QFETCH(QString, badKey);
        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("--json"), QStringLiteral("claim"), path,
                                       QString::fromStdString(file.claimA), badKey});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.out.isEmpty(), r.out.constData());
        QVERIFY2(r.errText().contains(badKey), r.err.constData());
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("show"), path};
        QTest::newRow("no file") << QStringList{QStringLiteral("tree")};
        QTest::newRow("claim without key") << QStringList{QStringLiteral("claim"), path};
        QTest::newRow("tree with a key")
            << QStringList{QStringLiteral("tree"), path, QStringLiteral("CA0645")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--xml"), QStringLiteral("tree"), path};
        QTest::newRow("maps without folder")
            << QStringList{QStringLiteral("tree"), path, QStringLiteral("--maps")};
        QTest::newRow("pcn for tree") << QStringList{
            QStringLiteral("tree"), path, QStringLiteral("--pcn"), QStringLiteral("A001")};
        QTest::newRow("blank pcn") << QStringList{QStringLiteral("claim"), path,
                                                  QStringLiteral("--pcn"), QStringLiteral(" ")};
        QTest::newRow("claims for claim") << QStringList{
            QStringLiteral("claim"), path, QStringLiteral("A001"), QStringLiteral("--claims")};
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        const auto r = CliRunner::run(arguments, CliRunner::mapsDir());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.errText().contains(QStringLiteral("Usage: quillmark-cli")), r.err.constData());
    }

    void helpDescribesEveryCommandAndOption() {
        const auto r = CliRunner::run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        for (const char* word :
             {"tree FILE", "claim FILE KEY", "check FILE", "--maps DIR", "--json", "totals_ok",
              "with_invalid_fields", "Exit status", "--pcn PCN", "--claims", "$1,600.50",
              "lines FILE", "--from N", "lines_in_file", "--lf-lines"})
            QVERIFY2(r.outText().contains(QLatin1String(word)), word);
        // An example of each command, beside its description.
        const QString commands = r.outText().section(QStringLiteral("Commands:"), 1);
        for (const char* command : {"tree", "claim", "check", "search", "diff", "lines"})
            QVERIFY2(
                commands.contains(QStringLiteral("\n                          quillmark-cli ") +
                                  QLatin1String(command) + QLatin1Char(' ')),
                command);
    }

    void unknownVersionOpensWithANote() {
        ClaimFileBuilder text;
        text.add(records.record("AA0", {{"19.0", "00300"}}));
        text.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}));
        const QString other = dir.filePath(QStringLiteral("v300.nsf"));
        text.write(other);
        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("--json"), QStringLiteral("tree"), other});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.json().object().value(QStringLiteral("version")).toString(),
                 QStringLiteral("00300"));
        QVERIFY2(r.errText().contains(QStringLiteral("'00300'")), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(CliErrorsTest)
#include "CliErrorsTest.moc"

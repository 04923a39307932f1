#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// What the tool's exit status and output promise: every verdict has its
// status, output that cannot be written is a failure, and file bytes never
// reach a terminal raw.
class CliOutputTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    QString write(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes.data(), qint64(bytes.size()));
        return path;
    }

private slots:
    void checkExitStatus_data() {
        QTest::addColumn<bool>("wrongTotals");
        QTest::addColumn<bool>("invalidDate");
        QTest::addColumn<bool>("emptyMap");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("clean") << false << false << false << 0;
        QTest::newRow("totals wrong") << true << false << false << 1;
        QTest::newRow("totals right, one value invalid") << false << true << false << 1;
        // A map without the XA0 fields cannot pass a claim: it says so.
        QTest::newRow("map without fields") << true << false << true << 3;
    }

    void checkExitStatus() {
        QFETCH(bool, wrongTotals);
        QFETCH(bool, invalidDate);
        QFETCH(bool, emptyMap);
        QFETCH(int, exitCode);
        TwoBatchFile::Options options;
        options.wrongTotalsInC = wrongTotals;
        options.invalidServiceDate = invalidDate;
        const QString path =
            write(QStringLiteral("c.nsf"), TwoBatchFile(records, options).text.bytes());
        QTemporaryDir maps;
        if (emptyMap)
            QFile(maps.filePath(QStringLiteral("nsf0301.map"))).open(QIODevice::WriteOnly);
        const QString mapsDir = emptyMap ? maps.path() : CliRunner::mapsDir();
        for (const char* jobs : {"1", "3"}) {
            const auto r =
                CliRunner::run({QStringLiteral("--maps"), mapsDir, QStringLiteral("--jobs"),
                                QLatin1String(jobs), QStringLiteral("check"), path});
            QCOMPARE(r.exitCode, exitCode);
            if (emptyMap)
                QVERIFY2(r.outText().contains(QStringLiteral("totals: could not be checked")),
                         r.out.constData());
        }
    }

    void outputThatCannotBeWrittenFails() {
        const QString path = write(QStringLiteral("c.nsf"), TwoBatchFile(records).text.bytes());
        for (const char* command : {"check", "tree"}) {
            const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                           QStringLiteral("--json"), QLatin1String(command), path},
                                          QString(), QString(), {}, QStringLiteral("/dev/full"));
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.errText().contains(QStringLiteral("cannot write the output")),
                     r.err.constData());
        }
    }

    // A name holding a terminal's escape sequence and a line feed: shown
    // escaped in text, kept (and valid) in JSON.
    void controlCharactersAreEscapedInText() {
        const QString path = write(QStringLiteral("esc.nsf"), records.claimWithControlCharacters());
        const auto r = CliRunner::run(
            {QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("tree"), path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains('\x1b'));
        QVERIFY(!r.out.contains('\x07'));
        QVERIFY2(r.outText().contains(QStringLiteral("X\\x1b]0;pwn\\x07\\nY")), r.out.constData());
        const auto json = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                          QStringLiteral("--json"), QStringLiteral("tree"), path});
        const QJsonArray nodes = json.json().object().value(QStringLiteral("nodes")).toArray();
        QVERIFY(nodes.at(2)
                    .toObject()
                    .value(QStringLiteral("text"))
                    .toString()
                    .contains(QStringLiteral("X\x1b]0;pwn\x07\nY")));
    }

    // The path goes to open() in the file system's own bytes.
    void nameThatIsNotUtf8Opens() {
        const QString script = QStringLiteral(
            "name=$(printf '%s/bad\\377.nsf' \"$2\") && cp \"$3\" \"$name\" && "
            "\"$0\" --maps \"$1\" tree \"$name\"; status=$?; rm -f \"$name\"; exit $status");
        const QString source =
            write(QStringLiteral("good.nsf"), TwoBatchFile(records).text.bytes());
        const auto r = CliRunner::runShell(script, {CliRunner::mapsDir(), dir.path(), source});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.outText().contains(QStringLiteral("CA0 Count: 3")), r.err.constData());
    }

    void lfOnlyFileIsNamedOnStandardError() {
        std::string bytes =
            records.fileHeader("SUBMITTER", "00301") + "\n" + records.record("BA0") + "\n";
        const QString path = write(QStringLiteral("lf.nsf"), bytes);
        const auto r = CliRunner::run(
            {QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("tree"), path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.errText().contains(QStringLiteral(
                     "This file's lines end in LF only; NSF files end lines with CR LF. Only its "
                     "first line can be read.")),
                 r.err.constData());
    }

    // A map with a field number defined twice and fields that overlap: each
    // named once on standard error, the output as ever.
    void doubtfulMapFieldsAreNamedOnStandardError() {
        QFile shipped(CliRunner::mapsDir() + QStringLiteral("/nsf0301.map"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QTemporaryDir maps;
        QFile map(maps.filePath(QStringLiteral("nsf0301.map")));
        QVERIFY(map.open(QIODevice::WriteOnly));
        map.write(shipped.readAll() + "CA0,04.0,\"AGAIN\",12,X,43,54\r\n");
        map.close();
        QVERIFY(QFile::copy(CliRunner::mapsDir() + QStringLiteral("/nsf0301.fmt"),
                            maps.filePath(QStringLiteral("nsf0301.fmt"))));
        const QString path = write(QStringLiteral("m.nsf"), TwoBatchFile(records).text.bytes());
        const auto r =
            CliRunner::run({QStringLiteral("--maps"), maps.path(), QStringLiteral("tree"), path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.outText().contains(QStringLiteral("CA0 Count: 3")));
        const QStringList lines = r.errText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("quillmark-cli: warning: nsf0301.map: CA0 04.0 is "
                                           "defined twice, the first definition is used"),
                            QStringLiteral("quillmark-cli: warning: nsf0301.map: CA0 04.0 "
                                           "(columns 43-54) overlaps CA0 05.0 (columns 43-54)")}));
    }

    // A code meaning holding C1 controls or marks that turn the text's
    // direction reaches a terminal escaped, as values do; JSON keeps it.
    void codeMeaningsAreEscapedInText() {
        QTemporaryDir maps;
        QVERIFY(QFile::copy(CliRunner::mapsDir() + QStringLiteral("/nsf0301.map"),
                            maps.filePath(QStringLiteral("nsf0301.map"))));
        QFile format(maps.filePath(QStringLiteral("nsf0301.fmt")));
        QVERIFY(format.open(QIODevice::WriteOnly));
        const QString meaning = QStringLiteral("Doe\u202Eevil\u0085x");
        format.write("CA0 04.0 code DOE " + meaning.toUtf8() + '\n');
        format.close();
        const TwoBatchFile file(records);
        const QString path = write(QStringLiteral("codes.nsf"), file.text.bytes());
        const QStringList claim{QStringLiteral("--maps"), maps.path(), QStringLiteral("claim"),
                                path, QString::fromStdString(file.claimA)};
        const auto text = CliRunner::run(claim);
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(text.outText().contains(QStringLiteral("DOE  (DOE \u2014 Doe\\u202eevil\\x85x)")),
                 text.out.constData());
        QVERIFY(!text.outText().contains(QChar(0x202E)) && !text.outText().contains(QChar(0x85)));
        const auto json = CliRunner::run(QStringList{QStringLiteral("--json")} + claim);
        bool kept = false;
        for (const QJsonValue& field : json.json()
                                           .array()[0][QStringLiteral("records")]
                                                   [QStringLiteral("CA0")][QStringLiteral("fields")]
                                           .toArray())
            kept = kept || field[QStringLiteral("shown")].toString() ==
                               QStringLiteral("DOE \u2014 ") + meaning;
        QVERIFY(kept);
    }

    // A format file is optional: a map without one is used as it is, and
    // nothing is said of it on any command.
    void mapWithoutFormatFileSaysNothing() {
        QTemporaryDir maps;
        QVERIFY(QFile::copy(CliRunner::mapsDir() + QStringLiteral("/nsf0301.map"),
                            maps.filePath(QStringLiteral("nsf0301.map"))));
        const QString path = write(QStringLiteral("f.nsf"), TwoBatchFile(records).text.bytes());
        for (const char* command : {"tree", "check", "summary"}) {
            const auto r = CliRunner::run(
                {QStringLiteral("--maps"), maps.path(), QLatin1String(command), path});
            QVERIFY2(r.exitCode == 0 || r.exitCode == 1, command);
            QVERIFY2(r.err.isEmpty(), r.err.constData());
        }
    }
};

QTEST_GUILESS_MAIN(CliOutputTest)
#include "CliOutputTest.moc"

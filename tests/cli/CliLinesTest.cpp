#include "CliRunner.h"
#include "GeneratedFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// `lines`: each kind of line the check reports, listed at its number with
// its problem, in JSON and text, and the window past the end.
class CliLinesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path;
    QList<QByteArray> fileLines; // the file's lines, split at CR LF

    static CliRunner::Result lines(const QString& file, const QStringList& options) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()}
                              << options << QStringLiteral("lines") << file);
    }
    // The number of the first line that satisfies test, counted from 1.
    template <typename Test> int lineWhere(Test test) const {
        for (int i = 0; i < fileLines.size(); ++i)
            if (test(fileLines[i]))
                return i + 1;
        return 0;
    }

private slots:
    void initTestCase() {
        QByteArray bytes = GeneratedFiles::generate(
            QStringLiteral("--version 00301 --seed 5 --claims 12 --batches 2 --short-line 4 "
                           "--record-after-za0 --cut-last-line")
                .split(QLatin1Char(' ')));
        // A record of none of the types: the first DA0 retyped.
        const int da0 = bytes.indexOf("\r\nDA0");
        QVERIFY(da0 > 0);
        bytes.replace(da0 + 2, 3, "QQ0");
        path = dir.filePath(QStringLiteral("faults.nsf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        fileLines = bytes.split('\n');
        for (QByteArray& line : fileLines)
            line.chop(line.endsWith('\r') ? 1 : 0);
    }

    void eachKindAtItsLine_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("problem");
        const int za0 = lineWhere([](const QByteArray& l) { return l.startsWith("ZA0"); });
        QTest::newRow("short") << lineWhere([](const QByteArray& l) { return l.size() == 100; })
                               << "short_line"
                               << "short_line";
        QTest::newRow("unknown type")
            << lineWhere([](const QByteArray& l) { return l.startsWith("QQ0"); })
            << "unknown_record_type"
            << "unknown_record_type";
        QTest::newRow("after ZA0") << za0 + 1 << "record_after_file_trailer"
                                   << "records_after_file_trailer";
        QTest::newRow("cut last") << int(fileLines.size()) << "cut_last_line"
                                  << "cut_last_line";
    }
    void eachKindAtItsLine() {
        QFETCH(int, line);
        QFETCH(QString, kind);
        QFETCH(QString, problem);
        QVERIFY(line > 1);
        // A window from the line before: numbers and positions count from the file's start.
        const auto json = lines(path, {QStringLiteral("--json"), QStringLiteral("--from"),
                                       QString::number(line - 1), QStringLiteral("--count"),
                                       QStringLiteral("2")});
        QCOMPARE(json.exitCode, 1);
        const QJsonArray listed = json.json().object().value(QStringLiteral("lines")).toArray();
        QCOMPARE(listed.size(), 2);
        const QJsonObject at = listed[1].toObject();
        QCOMPARE(at.value(QStringLiteral("line")).toInt(), line);
        qint64 position = 1;
        for (int i = 0; i < line - 1; ++i)
            position += fileLines[i].size() + 2;
        QCOMPARE(at.value(QStringLiteral("position")).toInteger(), position);
        QCOMPARE(at.value(QStringLiteral("kind")).toString(), kind);
        QCOMPARE(at.value(QStringLiteral("text")).toString().toLatin1(), fileLines[line - 1]);
        QStringList kinds;
        for (const QJsonValue& row : at.value(QStringLiteral("problems")).toArray())
            kinds << row.toObject().value(QStringLiteral("kind")).toString();
        QVERIFY2(kinds.contains(problem), qPrintable(kinds.join(QLatin1Char(' '))));

        const auto text = lines(path, {QStringLiteral("--from"), QString::number(line),
                                       QStringLiteral("--count"), QStringLiteral("1")});
        QCOMPARE(text.exitCode, 1);
        const QStringList out = text.outText().split(QLatin1Char('\n'));
        QVERIFY2(out[0].startsWith(QStringLiteral("%1 @%2 ").arg(line).arg(position)),
                 qPrintable(out[0]));
        QVERIFY2(out[1].startsWith(QStringLiteral("  problem: ")), qPrintable(out[1]));
    }

    // Lines without problems pass; past the end nothing is listed, and that passes too.
    void cleanAndPastTheEnd() {
        const auto first = lines(path, {QStringLiteral("--count"), QStringLiteral("1")});
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.outText().startsWith(QStringLiteral("1 @1 AA0 record: AA0")),
                 first.out.constData());
        const QString end = QString::number(fileLines.size() + 1);
        const auto past = lines(path, {QStringLiteral("--from"), end});
        QCOMPARE(past.exitCode, 0);
        QCOMPARE(
            past.outText(),
            QStringLiteral("Lines: none from line %1 on, of %2\n").arg(end).arg(fileLines.size()));
        QCOMPARE(lines(path, {QStringLiteral("--count"), QStringLiteral("0")}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(CliLinesTest)
#include "CliLinesTest.moc"

#include "CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

// --lf-lines: a sample whose line ends were rewritten reads as the sample
// itself, command by command; only the positions follow the shorter line
// ends, and an LF-only file keeps its one "Lines end in LF only" row, a
// warning now.
class CliLfLinesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString samplePath = QStringLiteral(SAMPLES_DIR "/sample301.nsf");
    QByteArray sample;
    QStringList claimKeys;

    // 1-based positions where the lines of bytes begin, CR, CR LF and LF each ending one.
    static QList<qint64> lineStarts(const QByteArray& bytes) {
        QList<qint64> starts{1};
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            if ((bytes[i] == '\r' || bytes[i] == '\n') && i + 1 < bytes.size())
                starts.append(i + 2);
        }
        return starts;
    }

    // The sample's output with each position (of a node key, or named so)
    // moved to where its line begins in the copy.
    static QByteArray movedPositions(const QByteArray& json, const QList<qint64>& from,
                                     const QList<qint64>& to) {
        static const QRegularExpression number(
            QStringLiteral("(\"(?:key|parent|batch|claim)\": ?\"[A-Z]{2}[0-9]|\"position\": ?)"
                           "([0-9]+)(?=[\",}])"));
        QString text = QString::fromUtf8(json);
        QString moved;
        qsizetype last = 0;
        for (const QRegularExpressionMatch& m : number.globalMatch(text)) {
            const qint64 position = m.captured(2).toLongLong();
            const auto line = std::upper_bound(from.begin(), from.end(), position) - from.begin();
            moved += text.mid(last, m.capturedStart(2) - last) +
                     QString::number(to[line - 1] + position - from[line - 1]);
            last = m.capturedEnd(2);
        }
        return (moved + text.mid(last)).toUtf8();
    }

    // The JSON without the rows of a kind, each also taken from the counts
    // of every "summary" (problems, warnings, file problems).
    static int dropRows(QJsonValue& value, const QString& kind) {
        int dropped = 0;
        if (value.isArray()) {
            QJsonArray array = value.toArray();
            for (qsizetype i = array.size() - 1; i >= 0; --i) {
                if (array[i].toObject().value(QStringLiteral("kind")).toString() == kind) {
                    array.removeAt(i);
                    ++dropped;
                    continue;
                }
                QJsonValue item = array[i];
                dropped += dropRows(item, kind);
                array[i] = item;
            }
            value = array;
        } else if (value.isObject()) {
            QJsonObject object = value.toObject();
            for (auto it = object.begin(); it != object.end(); ++it) {
                QJsonValue item = it.value();
                dropped += dropRows(item, kind);
                it.value() = item;
            }
            QJsonObject summary = object.value(QStringLiteral("summary")).toObject();
            for (const char* count : {"problems", "warnings", "file_problems"})
                if (dropped && summary.contains(QLatin1String(count)))
                    summary[QLatin1String(count)] = summary[QLatin1String(count)].toInt() - dropped;
            if (object.contains(QStringLiteral("summary")))
                object[QStringLiteral("summary")] = summary;
            value = object;
        }
        return dropped;
    }

    static CliRunner::Result run(const QStringList& options, const QString& command,
                                 const QString& file, const QStringList& after) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()}
                              << options << QStringLiteral("--json") << command << file << after);
    }

private slots:
    void initTestCase() {
        QFile file(samplePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        sample = file.readAll();
        const auto tree = run({}, QStringLiteral("tree"), samplePath, {});
        QCOMPARE(tree.exitCode, 0);
        for (const QJsonValue& node : tree.json()[QStringLiteral("nodes")].toArray())
            if (node[QStringLiteral("key")].toString().startsWith(QStringLiteral("CA0")))
                claimKeys.append(node[QStringLiteral("key")].toString());
        QCOMPARE(claimKeys.size(), 6);
    }

    void readsAsTheSample_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("lfRows");
        QByteArray mixed;
        for (const QByteArray& line : sample.split('\n'))
            if (!line.isEmpty())
                mixed += mixed.count('\n') % 2 ? line + '\n' : line.chopped(1) + '\n';
        const struct {
            const char* name;
            QByteArray bytes;
            int lfRows; // LF-only: its one row
        } files[] = {{"LF only", QByteArray(sample).replace("\r\n", "\n"), 1},
                     {"CR LF and LF mixed", mixed, 0},
                     {"CR only", QByteArray(sample).replace("\r\n", "\r"), 0}};
        for (const auto& file : files)
            for (const char* command : {"tree", "claim", "check", "lines"})
                QTest::addRow("%s, %s", file.name, command)
                    << file.bytes << QString::fromLatin1(command) << file.lfRows;
    }
    void readsAsTheSample() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, command);
        QFETCH(int, lfRows);
        const QString copyPath = dir.filePath(QStringLiteral("copy.nsf"));
        QFile copy(copyPath);
        QVERIFY(copy.open(QIODevice::WriteOnly | QIODevice::Truncate));
        copy.write(bytes);
        copy.close();
        const QStringList after = command == QLatin1String("claim") ? claimKeys : QStringList();

        const auto expected = run({}, command, samplePath, after);
        const QList<qint64> from = lineStarts(sample), to = lineStarts(bytes);
        QCOMPARE(to.size(), from.size());
        QStringList keys;
        for (const QString& key : after)
            keys.append(QString::fromUtf8(
                movedPositions("\"key\":\"" + key.toUtf8() + '"', from, to).chopped(1).mid(7)));
        const auto read = run({QStringLiteral("--lf-lines")}, command, copyPath,
                              after.isEmpty() ? after : QStringList(keys));
        QCOMPARE(read.exitCode, expected.exitCode);
        // Nothing about the line ends on standard error: the user asked for this reading.
        QVERIFY2(!read.errText().contains(QStringLiteral("LF")), read.err.constData());

        auto valueOf = [](const QJsonDocument& doc) {
            return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
        };
        QJsonValue got = valueOf(read.json());
        QCOMPARE(dropRows(got, QStringLiteral("lf_only_line_ends")),
                 command == QLatin1String("check") || command == QLatin1String("lines") ? lfRows
                                                                                        : 0);
        QJsonValue want = valueOf(QJsonDocument::fromJson(movedPositions(expected.out, from, to)));
        if (want.isObject() && want.toObject().contains(QStringLiteral("file"))) {
            QJsonObject object = want.toObject();
            object[QStringLiteral("file")] = copyPath;
            want = object;
        }
        QVERIFY(!want.toArray().isEmpty() || !want.toObject().isEmpty());
        QCOMPARE(got, want);
    }

    // The LF-only file's row: a warning, in words that say how it was read.
    // Read as one line, it is an error, and the file is one line.
    void lfRowIsAWarningWhenReadAsLines_data() {
        QTest::addColumn<bool>("asLines");
        QTest::addColumn<QString>("severity");
        QTest::addColumn<QString>("words");
        QTest::newRow("--lf-lines") << true << "warning"
                                    << "Lines end in LF only: read with LF as the line end, as "
                                       "asked; NSF files end lines with CR LF";
        QTest::newRow("as one line") << false << "error"
                                     << "Lines end in LF only: the file reads as one line, so "
                                        "nothing after its first line could be read";
    }
    void lfRowIsAWarningWhenReadAsLines() {
        QFETCH(bool, asLines);
        QFETCH(QString, severity);
        QFETCH(QString, words);
        const QString path = dir.filePath(QStringLiteral("lf.nsf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(sample).replace("\r\n", "\n"));
        file.close();
        const auto r = run(asLines ? QStringList{QStringLiteral("--lf-lines")} : QStringList(),
                           QStringLiteral("check"), path, {});
        QCOMPARE(r.exitCode, 1);
        const QJsonArray problems = r.json()[QStringLiteral("problems")].toArray();
        QVERIFY(!problems.isEmpty());
        const QJsonValue row = problems.first();
        QCOMPARE(row[QStringLiteral("kind")].toString(), QStringLiteral("lf_only_line_ends"));
        QCOMPARE(row[QStringLiteral("severity")].toString(), severity);
        QCOMPARE(row[QStringLiteral("text")].toString(), words);
        QCOMPARE(r.json()[QStringLiteral("summary")][QStringLiteral("claims")].toInt(),
                 asLines ? 6 : 0);
    }
};

QTEST_GUILESS_MAIN(CliLfLinesTest)
#include "CliLfLinesTest.moc"

#include "CliRunner.h"
#include "GeneratedFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// Every report of the command line, text and JSON, byte for byte as it was
// when the writers were made faster: each command's exit status and output
// on generated files (faults, hostile bytes, two map versions, a changed
// copy) against a digest of what it printed then. A digest that differs
// fails with the new one and the first lines of the output.
class CliReportBytesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QStringList keys; // node keys of g.nsf for `claim`, many of them

    static QStringList words(const char* text) {
        QStringList out;
        for (const QString& word : QString::fromLatin1(text).split(QLatin1Char(' ')))
            out << QString(word).replace(QLatin1Char('_'), QLatin1Char(' '));
        return out;
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QByteArray g = GeneratedFiles::generate(
            words("--version 00301 --seed 5 --claims 40 --batches 4 --wrong-totals 2 --no-xa0 5 "
                  "--wrong-batch-count 2 --wrong-batch-total 3 --no-ya0 4 --claim-outside 1 "
                  "--short-line 7 --wrong-file-count --record-after-za0 --cut-last-line"));
        // Bytes every writer escapes its own way, in the second claim's last
        // name (columns 23-42): quote, backslash, controls, C1 and high bytes.
        const int second = g.indexOf("\r\nCA0", g.indexOf("\r\nCA0") + 1) + 2;
        QVERIFY(second > 2);
        const char name[] = "Q\"\\\x01\x1b\x7f\x80\x85\x9d\xa0\xe9\xff\t\n/Z<&#>";
        static_assert(sizeof name == 21);
        g.replace(second + 22, 20, QByteArray(name, 20));
        write(QStringLiteral("g.nsf"), g);
        QVERIFY(GeneratedFiles::write(words("--mutate-from")
                                          << dir.filePath(QStringLiteral("g.nsf"))
                                          << words("--seed 3 --add-claims 2 "
                                                   "--remove-claims 2 "
                                                   "--change-claims 4 "
                                                   "--change-fields 2"),
                                      dir.filePath(QStringLiteral("m.nsf"))));
        write(QStringLiteral("h.nsf"), GeneratedFiles::damaged(g, 41, true));
        QVERIFY(GeneratedFiles::write(words("--version 00301 --seed 9 --claims 300 --batches 3 "
                                            "--bare-claims"),
                                      dir.filePath(QStringLiteral("b.nsf"))));
        QVERIFY(GeneratedFiles::write(words("--version 00200 --seed 11 --claims 30 --batches 2 "
                                            "--wrong-totals 3 --no-xa0 7 --no-za0"),
                                      dir.filePath(QStringLiteral("v.nsf"))));
        const auto tree = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                          QStringLiteral("--json"), QStringLiteral("tree"),
                                          dir.filePath(QStringLiteral("g.nsf"))});
        const QJsonArray nodes = tree.json().object().value(QStringLiteral("nodes")).toArray();
        for (int i = 0; i < nodes.size(); i += 3)
            keys << nodes[i].toObject().value(QStringLiteral("key")).toString();
        QVERIFY(keys.size() > 10);
    }

    void reportsAsBefore_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("digest");
        // "_" stands for a blank within an argument; "KEYS" for the keys above.
        const struct {
            const char* arguments;
            const char* digest;
        } kRuns[] = {
            {"tree g.nsf", "9125775da278ee22"},
            {"tree --claims g.nsf", "ccd7fbc978cae5a4"},
            {"--json tree g.nsf", "4f32f16ed51cce8f"},
            {"--json tree --claims g.nsf", "0969950a608d078b"},
            {"--json tree h.nsf", "c9ab010befff6994"},
            {"--json tree v.nsf", "d5cf2498479f3a50"},
            {"claim g.nsf KEYS", "061a63b8e61213e1"},
            {"--json claim g.nsf KEYS", "f15f7babf5ad2099"},
            {"--json claim h.nsf AA01 --pcn BM000000013", "b61ba1280535a72b"},
            {"check g.nsf", "e8d69a5772a03116"},
            {"--json check g.nsf", "5e09f179e538eb2e"},
            {"--problems-only check g.nsf", "121381d1ca4155ca"},
            {"--json --problems-only check g.nsf", "0c1ce40ffdf5c3db"},
            {"check h.nsf", "afe43dfdfa82d851"},
            {"--json check h.nsf", "f4b7e7642f567f86"},
            {"--json check b.nsf", "8db16b38c98eb70f"},
            {"--json check v.nsf", "27d80bb132bd3609"},
            {"search g.nsf a", "030e8851abdad5dc"},
            {"--json search g.nsf a", "26d7e796b7230e35"},
            {"--json search h.nsf e --max-hits 20", "071a9bc5f99d08a0"},
            {"--json search g.nsf M --exact", "1e6bfcde18350d9d"},
            {"--json search g.nsf ^[A-Z]+[0-9]{3,}$ --regex", "2b39e4662569ae63"},
            {"search h.nsf \\d{3}[A-Z] --regex", "8c0fbedda926ba0f"},
            {"search g.nsf X?$ --regex --type FA0", "337ddfe2b250dc3b"},
            {"search g.nsf (?i)smith|jones|q --regex", "b4ddb3adfe36a252"},
            {"--json search h.nsf [^_A-Z0-9] --regex --type CA0", "abb989f69e209831"},
            {"--json search g.nsf --number -- >100.00", "537862c538c13589"},
            {"search v.nsf 0 --field CA0_03.0", "e2d531e03576bb12"},
            {"summary g.nsf", "4f138a326e6534b8"},
            {"--json summary g.nsf", "be2915833eedef3b"},
            {"--json summary h.nsf", "4a63a990c516df7e"},
            {"diff g.nsf m.nsf", "5d11544d263ff9a6"},
            {"--json diff g.nsf m.nsf", "4ab1f66f396a8295"},
            {"--json diff g.nsf m.nsf --match position", "165748e4377ee543"},
            {"--json diff g.nsf h.nsf", "6a6441530d70fb12"},
            {"list g.nsf", "c5693f912ae7e3d5"},
            {"--json list g.nsf", "126a66fb406dc183"},
            {"--json list h.nsf --filter problem", "be12a9435150ec2a"},
        };
        for (const auto& run : kRuns)
            QTest::newRow(run.arguments) << words(run.arguments) << QByteArray(run.digest);
    }

    void reportsAsBefore() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, digest);
        const int at = arguments.indexOf(QStringLiteral("KEYS"));
        if (at >= 0)
            arguments = arguments.mid(0, at) + keys + arguments.mid(at + 1);
        const auto r = CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir(),
                                                  QStringLiteral("--jobs"), QStringLiteral("3")} +
                                          arguments,
                                      dir.path());
        QVERIFY2(r.exitCode >= 0 && r.exitCode != 2, r.err.constData());
        // The rules' file is named by where the maps are: not part of the bytes compared.
        const QByteArray printed = QByteArray::number(r.exitCode) + '\n' +
                                   QByteArray(r.out).replace(CliRunner::mapsDir().toUtf8(), "MAPS");
        const QByteArray now =
            QCryptographicHash::hash(printed, QCryptographicHash::Sha256).toHex().left(16);
        QVERIFY2(now == digest, (now + " for:\n" + r.out.left(600)).constData());
        // And every JSON report is one document that parses.
        if (arguments.contains(QStringLiteral("--json"))) {
            QJsonParseError error;
            QJsonDocument::fromJson(r.out, &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        }
    }

    // The JSON's rows put into words on several threads, slice by slice,
    // come out as one thread writes them: tens of thousands of rows (many
    // slices for each thread), and none.
    void rowsOnThreadsAsInOrder_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("rows");
        QTest::newRow("many rows") << "--claims 60000 --batches 3 --bare-claims" << 60000;
        QTest::newRow("no rows") << "--claims 3 --batches 1" << 0;
    }

    void rowsOnThreadsAsInOrder() {
        QFETCH(QString, arguments);
        QFETCH(int, rows);
        const QString path = dir.filePath(QStringLiteral("rows.nsf"));
        QVERIFY(GeneratedFiles::write(
            words("--version 00301 --seed 4") << arguments.split(QLatin1Char(' ')), path));
        QByteArray inOrder;
        for (const char* jobs : {"1", "2", "3"}) {
            const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                           QStringLiteral("--json"), QStringLiteral("--jobs"),
                                           QLatin1String(jobs), QStringLiteral("check"), path});
            QVERIFY2(r.exitCode == (rows ? 1 : 0), r.err.constData());
            if (inOrder.isEmpty()) {
                inOrder = r.out;
                const QJsonArray problems =
                    r.json().object().value(QStringLiteral("problems")).toArray();
                QVERIFY(problems.size() >= rows && (rows || problems.isEmpty()));
            } else {
                QVERIFY2(r.out == inOrder, jobs);
            }
        }
    }
};

QTEST_GUILESS_MAIN(CliReportBytesTest)
#include "CliReportBytesTest.moc"

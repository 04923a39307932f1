#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// `tree`: keys, texts, parents, order and counts, as JSON and as text.
class CliTreeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    QString writeFile(const ClaimFileBuilder& text, const QString& name = QStringLiteral("t.nsf")) {
        const QString path = dir.filePath(name);
        text.write(path);
        return path;
    }

private slots:
    void jsonListsEveryNodeInFileOrder() {
        const TwoBatchFile file(records);
        const QString path = writeFile(file.text);
        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("--json"), QStringLiteral("tree"), path});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject tree = r.json().object();
        QCOMPARE(tree.value(QStringLiteral("file")).toString(), path);
        QCOMPARE(tree.value(QStringLiteral("version")).toString(), QStringLiteral("00301"));
        QCOMPARE(tree.value(QStringLiteral("batches")).toInt(), 2);
        QCOMPARE(tree.value(QStringLiteral("claims")).toInt(), 3);

        struct Expected {
            const char* key;
            const char* text;
            const char* parent; // nullptr: a root
        };
        // 320-character records plus CR LF: the header at 1, the batch at 323, the claim at 645.
        QCOMPARE(file.aa0, std::string("AA01"));
        QCOMPARE(file.batch1, std::string("BA0323"));
        QCOMPARE(file.claimA, std::string("CA0645"));
        const Expected expected[] = {
            {"AA01", "AA0: QMTESTSUB01", nullptr},
            {"BA0323", "BA0: 123456789 - SMITH, JOHN", "AA01"},
            {"CA0645", "CA0: DOE, JANE (A001)", "BA0323"},
            {file.claimB.c_str(), "CA0: ROE, RICHARD (B002)", "BA0323"},
            {file.batch2.c_str(), "BA0: 987654321 - GENERAL CLINIC", "AA01"},
            {file.claimC.c_str(), "CA0: POE, EDGAR (C003)", file.batch2.c_str()},
        };
        const QJsonArray nodes = tree.value(QStringLiteral("nodes")).toArray();
        QCOMPARE(nodes.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < nodes.size(); ++i) {
            const QJsonObject node = nodes[i].toObject();
            const Expected& e = expected[i];
            QCOMPARE(node.value(QStringLiteral("index")).toInt(), int(i + 1));
            QCOMPARE(node.value(QStringLiteral("key")).toString(), QLatin1String(e.key));
            QCOMPARE(node.value(QStringLiteral("text")).toString(), QLatin1String(e.text));
            if (e.parent)
                QCOMPARE(node.value(QStringLiteral("parent")).toString(), QLatin1String(e.parent));
            else
                QVERIFY(node.value(QStringLiteral("parent")).isNull());
        }
    }

    void jsonCarriesQuotesBackslashesAndSingleByteLettersIntact() {
        ClaimFileBuilder text;
        text.add(records.record("AA0", {{"02.0", "SUB\"1\\X"}, {"19.0", "00301"}}));
        text.add(records.record("BA0", {{"06.0", "111111111"}, {"18.0", "CLINIC"}}));
        // 0xC9 is É in the single-byte character set of the files.
        text.add(
            records.record("CA0", {{"03.0", "P1"}, {"04.0", "\xC9TIENNE"}, {"05.0", "ZO\xEB"}}));
        const auto r =
            CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                            QStringLiteral("--json"), QStringLiteral("tree"), writeFile(text)});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray nodes = r.json().object().value(QStringLiteral("nodes")).toArray();
        QCOMPARE(nodes.size(), 3);
        QCOMPARE(nodes[0].toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("AA0: SUB\"1\\X"));
        QCOMPARE(nodes[2].toObject().value(QStringLiteral("text")).toString(),
                 QString::fromLatin1("CA0: \xC9TIENNE, ZO\xEB (P1)"));
    }

    void jsonOfAFileWithoutRecordsIsAnEmptyTree() {
        ClaimFileBuilder text;
        // A header line too short to be a record still names the version.
        text.add(records.record("AA0", {{"19.0", "00301"}}).substr(0, 319));
        const auto r =
            CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                            QStringLiteral("--json"), QStringLiteral("tree"), writeFile(text)});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject tree = r.json().object();
        QVERIFY(tree.value(QStringLiteral("nodes")).toArray().isEmpty());
        QCOMPARE(tree.value(QStringLiteral("batches")).toInt(-1), 0);
        QCOMPARE(tree.value(QStringLiteral("claims")).toInt(-1), 0);
    }

    void textIndentsChildrenUnderParentsAndEndsWithCounts() {
        const TwoBatchFile file(records);
        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("tree"), writeFile(file.text)});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("AA01  AA0: QMTESTSUB01")));
        QVERIFY(lines.contains(QStringLiteral("  BA0323  BA0: 123456789 - SMITH, JOHN")));
        QVERIFY(lines.contains(QStringLiteral("    CA0645  CA0: DOE, JANE (A001)")));
        QVERIFY(lines.contains(QStringLiteral("BA0 Count: 2")));
        QVERIFY(lines.contains(QStringLiteral("CA0 Count: 3")));
        // Claims of the second batch come after it, not after the first.
        const qsizetype batch2 =
            lines.indexOf(QStringLiteral("  %1  BA0: 987654321 - GENERAL CLINIC")
                              .arg(QString::fromStdString(file.batch2)));
        const qsizetype claimC = lines.indexOf(QStringLiteral("    %1  CA0: POE, EDGAR (C003)")
                                                   .arg(QString::fromStdString(file.claimC)));
        QVERIFY(batch2 > 0);
        QCOMPARE(claimC, batch2 + 1);
    }

    // The listing meets the nodes as a reading of the file does, without the
    // tree: every node's parent must still be the one the tree gives it,
    // however oddly the file is ordered.
    void parentsAreTheTrees_data() {
        QTest::addColumn<QString>("types"); // record type letters in file order
        QTest::newRow("two batches") << QStringLiteral("ABCCBC");
        QTest::newRow("a claim before any batch") << QStringLiteral("ACBC");
        QTest::newRow("a claim after a second header") << QStringLiteral("ABCACBC");
        QTest::newRow("a batch before the header") << QStringLiteral("BCABC");
        QTest::newRow("two headers, batches under each") << QStringLiteral("ABCCABBC");
    }

    void parentsAreTheTrees() {
        QFETCH(QString, types);
        ClaimFileBuilder text;
        for (const QChar type : types)
            text.add(type == QLatin1Char('A')
                         ? records.fileHeader("SUBMITTER", "00301")
                         : records.record(type.toLatin1() + std::string("A0")));
        const QString path = writeFile(text);
        qm::SequentialFile file;
        QVERIFY(file.open(path.toStdString()));
        const qm::FileTree tree = qm::BuildTree(file);

        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("--json"), QStringLiteral("tree"), path});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray nodes = r.json().object().value(QStringLiteral("nodes")).toArray();
        QCOMPARE(nodes.size(), qsizetype(tree.size()));
        for (std::int64_t node = 0; node < tree.size(); ++node) {
            const QJsonObject listed = nodes[node].toObject();
            QCOMPARE(listed.value(QStringLiteral("key")).toString().toStdString(), tree.key(node));
            const std::int64_t parent = tree.parent(node);
            QCOMPARE(listed.value(QStringLiteral("parent")).toString().toStdString(),
                     parent == qm::FileTree::kNoNode ? std::string() : tree.key(parent));
        }
    }

    // --claims: the claims only, the patient's name and control number in
    // columns of their own, as text and as JSON.
    void claimsOnlyInColumns() {
        const TwoBatchFile file(records);
        const QString path = writeFile(file.text);
        const auto text =
            CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("tree"),
                            QStringLiteral("--claims"), path});
        QCOMPARE(text.exitCode, 0);
        const QStringList lines = text.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const auto row = [](const std::string& key, const char* name, const char* number) {
            return QString::fromStdString(key).leftJustified(16) +
                   QString::fromLatin1(name).leftJustified(34) + QStringLiteral("  ") +
                   QLatin1String(number);
        };
        QCOMPARE(lines.mid(2),
                 (QStringList{QStringLiteral("Key").leftJustified(16) +
                                  QStringLiteral("Patient").leftJustified(34) +
                                  QStringLiteral("  Control Number"),
                              row(file.claimA, "DOE, JANE", "A001"),
                              row(file.claimB, "ROE, RICHARD", "B002"),
                              row(file.claimC, "POE, EDGAR", "C003"),
                              QStringLiteral("BA0 Count: 2"), QStringLiteral("CA0 Count: 3")}));

        const auto json = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                          QStringLiteral("--json"), QStringLiteral("tree"),
                                          QStringLiteral("--claims"), path});
        const QJsonArray nodes = json.json().object().value(QStringLiteral("nodes")).toArray();
        QCOMPARE(nodes.size(), 3);
        const QJsonObject c = nodes[2].toObject();
        QCOMPARE(c.value(QStringLiteral("key")).toString(), QString::fromStdString(file.claimC));
        QCOMPARE(c.value(QStringLiteral("patient")).toString(), QStringLiteral("POE, EDGAR"));
        QCOMPARE(c.value(QStringLiteral("control_number")).toString(), QStringLiteral("C003"));
        QCOMPARE(c.value(QStringLiteral("parent")).toString(), QString::fromStdString(file.batch2));
    }

    // Where the tool looks for maps: the current folder, QUILLMARK_MAPS, and
    // (run from the build) the source tree; a copy elsewhere finds none.
    void mapSearch_data() {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("workingDir");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<int>("exitCode");
        const QString maps = CliRunner::mapsDir();
        QTest::newRow("current folder") << true << maps << QStringList() << 0;
        QTest::newRow("QUILLMARK_MAPS")
            << true << QString() << QStringList{QStringLiteral("QUILLMARK_MAPS=") + maps} << 0;
        QTest::newRow("source tree, from the build") << false << QString() << QStringList() << 0;
        QTest::newRow("nowhere") << true << QString() << QStringList() << 2;
    }

    void mapSearch() {
        QFETCH(bool, copy);
        QFETCH(QString, workingDir);
        QFETCH(QStringList, environment);
        QFETCH(int, exitCode);
        const TwoBatchFile file(records);
        const QString path = writeFile(file.text);
        const QString where = workingDir.isEmpty() ? dir.path() : workingDir;
        const QStringList arguments{QStringLiteral("--json"), QStringLiteral("claim"), path,
                                    QString::fromStdString(file.claimA)};
        const auto r = copy ? CliRunner::runCopy(arguments, where, environment)
                            : CliRunner::run(arguments, where, QString(), environment);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY2(r.errText().contains(QStringLiteral("Unable to open map file: nsf0301.map")),
                     qPrintable(r.errText()));
            QVERIFY2(r.errText().contains(where + QStringLiteral("/nsf0301.map")),
                     qPrintable(r.errText()));
            return;
        }
        const QJsonObject ca0 = r.json()
                                    .array()
                                    .at(0)
                                    .toObject()
                                    .value(QStringLiteral("records"))
                                    .toObject()
                                    .value(QStringLiteral("CA0"))
                                    .toObject();
        QVERIFY(!ca0.value(QStringLiteral("fields")).toArray().isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliTreeTest)
#include "CliTreeTest.moc"

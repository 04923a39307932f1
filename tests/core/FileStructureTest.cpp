// What the whole-file check finds in a file's structure and in its batch and
// file trailers, row by row, with one job and several; what it does when the
// file changes while it is read; and a claim trailer field that cannot be cut.
#include "CheckTranscript.h"
#include "ClaimFileBuilder.h"
#include "NsfRecords.h"
#include "core/check/CheckVisitor.h"
#include "core/check/ChunkFindingsPool.h"
#include "core/check/FileCheck.h"
#include "core/claim/ClaimRules.h"
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

class FileStructureTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};

    // A file from words: AA0 BA0 CA0 XA0 YA0 ZA0 DA0 (records with their
    // required values), ZZ9 (a type of none of the 32), short (100 blanks),
    // cut (200 characters and no line end), FA0=charge, and trailers with
    // values: YA0:08.0=1:10.0=2 (field number = value, : between).
    std::string build(const QString& recipe) {
        ClaimFileBuilder file;
        for (const QString& word : recipe.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = word.split(QLatin1Char(':'));
            const std::string type = parts.first().section(QLatin1Char('='), 0, 0).toStdString();
            std::map<std::string, std::string> values;
            for (const QString& value : parts.mid(1))
                values[value.section(QLatin1Char('='), 0, 0).toStdString()] =
                    value.section(QLatin1Char('='), 1).toStdString();
            if (type == "AA0")
                file.add(records.fileHeader("SUB", "00301"));
            else if (type == "BA0")
                file.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}));
            else if (type == "CA0")
                file.add(records.record("CA0", {{"03.0", "P1"}}));
            else if (type == "FA0")
                file.add(records.record(
                    "FA0", {{"02.0", "1"},
                            {"13.0", parts.first().section(QLatin1Char('='), 1).toStdString()}}));
            else if (type == "XA0" && values.empty())
                file.add(records.record("XA0", {{"04.0", "1"}, {"10.0", "1"}}));
            else if (type == "DA0")
                file.add(records.record("DA0", {{"02.0", "1"}}));
            else if (type == "ZZ9")
                file.add(ClaimFileBuilder::record("ZZ9"));
            else if (type == "short")
                file.add(std::string(100, ' '));
            else if (type == "cut")
                file.addRaw(records.record("CA0").substr(0, 200));
            else
                file.add(records.record(type, values));
        }
        return file.bytes();
    }

    std::string write(const QString& name, const std::string& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes.data(), qint64(bytes.size()));
        return dir.filePath(name).toStdString();
    }

    // The map files with some definitions of nsf0301.map replaced: each edit
    // is a definition's start ("YA0,09.0,") and what takes its line (nothing:
    // it goes; a second line after "\n": it follows the first).
    QString mapsWith(const QString& name, const QMap<QString, QString>& edits) {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        QFile original(QStringLiteral(MAPS_DIR "/nsf0301.map"));
        QFile copy(folder + QStringLiteral("/nsf0301.map"));
        if (!original.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
            qFatal("cannot copy the map");
        while (!original.atEnd()) {
            const QString line = QString::fromLatin1(original.readLine());
            QString replaced = line;
            for (auto edit = edits.begin(); edit != edits.end(); ++edit)
                if (line.startsWith(edit.key()))
                    replaced =
                        edit.value().isEmpty() ? QString() : edit.value() + QLatin1Char('\n');
            copy.write(replaced.toLatin1());
        }
        return folder;
    }

    // The rows of a check of the file, as "kind@line", the same with one job
    // and three in small chunks; its claims as clicking each gives them.
    QStringList rowsOf(const std::string& path, const QString& maps = QStringLiteral(MAPS_DIR),
                       CheckTranscript* transcript = nullptr) {
        CheckTranscript::Opened opened = CheckTranscript::open(path, maps.toStdString());
        if (!opened.result.opened())
            qFatal("%s does not open", path.c_str());
        QStringList first;
        for (const int jobs : {1, 3}) {
            CheckTranscript checked(opened.layouts);
            CheckTranscript::run(*opened.file, opened.layouts, checked, jobs,
                                 jobs == 1 ? 1 << 20 : 700);
            QStringList kinds;
            for (const std::string& kind : checked.kinds)
                kinds << QString::fromStdString(kind);
            if (jobs == 1) {
                first = kinds;
                const FileTree tree = BuildTree(*opened.file);
                if (checked.claims != CheckTranscript::byClicks(*opened.file, opened.layouts, tree))
                    return {QStringLiteral("the clicks differ")};
                if (transcript)
                    *transcript = checked;
            } else if (kinds != first) {
                qWarning("jobs 3 gives %s", qPrintable(kinds.join(QLatin1Char(' '))));
                return {QStringLiteral("jobs differ")};
            }
        }
        return first;
    }

private slots:
    void structureRows_data() {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QString>("rows");
        QTest::newRow("clean") << QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0") << QString();
        QTest::newRow("batch reaches the next batch")
            << QStringLiteral("AA0 BA0 CA0 XA0 BA0 CA0 XA0 YA0 ZA0")
            << QStringLiteral("batch_without_trailer@5");
        QTest::newRow("batch reaches the file trailer")
            << QStringLiteral("AA0 BA0 CA0 XA0 ZA0") << QStringLiteral("batch_without_trailer@5");
        QTest::newRow("batch reaches the end")
            << QStringLiteral("AA0 BA0 CA0 XA0")
            << QStringLiteral("batch_without_trailer@0 no_file_trailer@0");
        QTest::newRow("batch trailer without a batch")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 YA0 ZA0")
            << QStringLiteral("trailer_without_batch@6");
        QTest::newRow("claim after its batch's trailer")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 CA0 XA0 ZA0")
            << QStringLiteral("claim_outside_batch@6");
        QTest::newRow("claim before any batch") << QStringLiteral("AA0 CA0 XA0 BA0 CA0 XA0 YA0 ZA0")
                                                << QStringLiteral("claim_outside_batch@2");
        QTest::newRow("second file header") << QStringLiteral("AA0 BA0 CA0 XA0 YA0 AA0 ZA0")
                                            << QStringLiteral("second_file_header@6");
        QTest::newRow("unknown record type") << QStringLiteral("AA0 BA0 CA0 ZZ9 XA0 YA0 ZA0")
                                             << QStringLiteral("unknown_record_type@4");
        QTest::newRow("short line")
            << QStringLiteral("AA0 BA0 short CA0 XA0 YA0 ZA0") << QStringLiteral("short_line@3");
        QTest::newRow("last line cut, no line end")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0 cut") << QStringLiteral("cut_last_line@7");
        QTest::newRow("last line short, with its line end")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0 short") << QStringLiteral("cut_last_line@7");
        QTest::newRow("records after the file trailer")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0 short DA0 DA0")
            << QStringLiteral("short_line@7 records_after_file_trailer@8");
        QTest::newRow("a claim after the file trailer")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0 CA0 XA0")
            << QStringLiteral("records_after_file_trailer@7 claim_outside_batch@7");
        QTest::newRow("no file trailer")
            << QStringLiteral("AA0 BA0 CA0 XA0 YA0") << QStringLiteral("no_file_trailer@0");
    }

    void structureRows() {
        QFETCH(QString, recipe);
        QFETCH(QString, rows);
        QCOMPARE(rowsOf(write(QStringLiteral("s.nsf"), build(recipe))).join(QLatin1Char(' ')),
                 rows);
    }

    void trailerBalance_data() {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("readings"); // of the batch trailer
        // A batch of one claim (CA0, FA0, XA0): one service line, the claims'
        // own records 2 (C and F), every record from BA0 to YA0 5, 1 claim.
        const QString claim =
            QStringLiteral("AA0 BA0 CA0 FA0=1250 XA0:04.0=1:07.0=1:10.0=2:12.0=1250 ");
        QTest::newRow("balanced, the claims' records")
            << claim + QStringLiteral("YA0:08.0=1:09.0=2:10.0=1:11.0=1250 "
                                      "ZA0:05.0=1:06.0=2:07.0=1:08.0=1:09.0=1250")
            << QString() << 1;
        QTest::newRow("balanced, every record")
            << claim + QStringLiteral("YA0:09.0=5 ZA0:06.0=7") << QString() << 2;
        QTest::newRow("blank fields are not compared")
            << claim + QStringLiteral("YA0 ZA0") << QString() << 0;
        QTest::newRow("record count of neither reading")
            << claim + QStringLiteral("YA0:09.0=3 ZA0")
            << QStringLiteral("trailer_does_not_balance@6") << 0;
        QTest::newRow("each count and total off")
            << claim +
                   QStringLiteral("YA0:08.0=2:10.0=2:11.0=1251 ZA0:05.0=0:07.0=2:08.0=2:09.0=1249")
            << QStringLiteral("trailer_does_not_balance@6 trailer_does_not_balance@6 "
                              "trailer_does_not_balance@6 "
                              "trailer_does_not_balance@7 trailer_does_not_balance@7 "
                              "trailer_does_not_balance@7 trailer_does_not_balance@7")
            << 0;
        // A number field that holds no number also fails its check, in the
        // claims that show the YA0.
        QTest::newRow("not a whole number")
            << claim + QStringLiteral("YA0:10.0=1A ZA0")
            << QStringLiteral("invalid_value@3 trailer_does_not_balance@6") << 0;
        QTest::newRow("beyond 32 bits") << claim + QStringLiteral("YA0 ZA0:09.0=03000000000")
                                        << QStringLiteral("trailer_does_not_balance@7") << 0;
        QTest::newRow("each trailer weighs only what lies beneath it")
            << claim + QStringLiteral("YA0:11.0=9 ZA0:09.0=1250")
            << QStringLiteral("trailer_does_not_balance@6") << 0;
    }

    void trailerBalance() {
        QFETCH(QString, recipe);
        QFETCH(QString, rows);
        QFETCH(int, readings);
        CheckTranscript transcript(nullptr);
        QCOMPARE(rowsOf(write(QStringLiteral("t.nsf"), build(recipe)), QStringLiteral(MAPS_DIR),
                        &transcript)
                     .join(QLatin1Char(' ')),
                 rows);
        const auto batch =
            std::find_if(transcript.lines.begin(), transcript.lines.end(),
                         [](const std::string& l) { return l.rfind("trailer batch", 0) == 0; });
        QVERIFY(batch != transcript.lines.end());
        QVERIFY2(batch->find("readings " + std::to_string(readings)) != std::string::npos,
                 batch->c_str());
    }

    // A map whose money fields are wider than the shipped ones: line charges
    // that add up past 64 bits are too large to add up, in the claim, its
    // batch and the file alike, never a wrapped figure.
    void chargesTooLargeToAddUpCannotBeChecked() {
        const QString maps = mapsWith(
            QStringLiteral("maps-wide"),
            {{QStringLiteral("FA0,13.0,"), QStringLiteral("FA0,13.0,\"Line Charges\",19,NR,71,89")},
             {QStringLiteral("XA0,12.0,"),
              QStringLiteral("XA0,12.0,\"Total Claim Charges\",19,N,78,96")},
             {QStringLiteral("YA0,11.0,"),
              QStringLiteral("YA0,11.0,\"Batch Total Charges\",19,N,68,86")},
             {QStringLiteral("ZA0,09.0,"),
              QStringLiteral("ZA0,09.0,\"Total Charges for the File\",19,N,70,88")}});
        auto at = [](std::string line, int column, const std::string& value) {
            return line.replace(std::size_t(column - 1), value.size(), value);
        };
        const std::string zero(19, '0'); // over the fields after it too: zero, as the lines give
        ClaimFileBuilder file;
        file.add(records.fileHeader("SUB", "00301"));
        file.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}));
        file.add(records.record("CA0", {{"03.0", "P1"}}));
        for (int i = 0; i < 2; ++i)
            file.add(at(records.record("FA0", {{"02.0", "1"}}), 71, "9000000000000000000"));
        file.add(
            at(records.record("XA0", {{"04.0", "1"}, {"07.0", "2"}, {"10.0", "3"}}), 78, zero));
        file.add(at(records.record("YA0"), 68, zero));
        file.add(at(records.record("ZA0"), 70, zero));
        CheckTranscript transcript(nullptr);
        QCOMPARE(rowsOf(write(QStringLiteral("wide.nsf"), file.bytes()), maps, &transcript)
                     .join(QLatin1Char(' ')),
                 QStringLiteral("could_not_check@3 trailer_could_not_check@7 "
                                "trailer_could_not_check@8"));
        for (const std::string& line : transcript.lines)
            if (line.find("could_not_check") != std::string::npos)
                QVERIFY2(line.find("too large to add up") != std::string::npos, line.c_str());
    }

    void foundAndExpectedAreWholeNumbers() {
        const QString claim =
            QStringLiteral("AA0 BA0 CA0 FA0=1250 XA0:04.0=1:07.0=1:10.0=2:12.0=1250 ");
        CheckTranscript transcript(nullptr);
        rowsOf(write(QStringLiteral("n.nsf"),
                     build(claim + QStringLiteral("YA0:10.0=1A ZA0:09.0=03000000000"))),
               QStringLiteral(MAPS_DIR), &transcript);
        const std::string all = [&] {
            std::string text;
            for (const std::string& line : transcript.lines)
                text += line + "\n";
            return text;
        }();
        // Not a number: as stored, blanks and all, with what the batch holds.
        QVERIFY2(all.find("found 0/0 expected 1 [1A     ]") != std::string::npos, all.c_str());
        // Eleven digits read whole, beside the file's charges.
        QVERIFY2(all.find("found 3000000000/1 expected 1250 [03000000000]") != std::string::npos,
                 all.c_str());
    }

    // Fields the map lacks or places beyond the line, and a field defined twice.
    void mapsThatCannotBalance_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("rows");
        QTest::newRow("batch record count missing") << QStringLiteral("YA0,09.0,") << QString()
                                                    << QStringLiteral("trailer_could_not_check@6");
        QTest::newRow("file charges beyond the line")
            << QStringLiteral("ZA0,09.0,")
            << QStringLiteral("ZA0,09.0,\"Total Charges for the File\",11,N,315,325")
            << QStringLiteral("trailer_could_not_check@7");
        QTest::newRow("claim count defined twice: the first counts")
            << QStringLiteral("YA0,10.0,")
            << QStringLiteral(
                   "YA0,10.0,\"Batch Claim Count\",7,N,61,67\nYA0,10.0,\"Again\",7,X,1,7")
            << QString();
        QTest::newRow("claim trailer charges beyond the line")
            << QStringLiteral("XA0,12.0,")
            << QStringLiteral("XA0,12.0,\"Total Claim Charges\",7,N,318,324")
            << QStringLiteral("could_not_check@3");
    }

    void mapsThatCannotBalance() {
        QFETCH(QString, edit);
        QFETCH(QString, replacement);
        QFETCH(QString, rows);
        const QString maps =
            mapsWith(QStringLiteral("maps-") + QString::number(qHash(edit)), {{edit, replacement}});
        const std::string path = write(
            QStringLiteral("m.nsf"),
            build(QStringLiteral(
                "AA0 BA0 CA0 FA0=1250 XA0:04.0=1:07.0=1:10.0=2:12.0=1250 "
                "YA0:08.0=1:09.0=2:10.0=1:11.0=1250 ZA0:05.0=1:06.0=2:07.0=1:08.0=1:09.0=1250")));
        CheckTranscript transcript(nullptr);
        QCOMPARE(rowsOf(path, maps, &transcript).join(QLatin1Char(' ')), rows);
        // The words name what could not be compared.
        for (const std::string& line : transcript.lines)
            if (line.find("could_not_check") != std::string::npos)
                QVERIFY2(line.find(edit.section(QLatin1Char(','), 1, 1).toStdString()) !=
                             std::string::npos,
                         line.c_str());
    }

    void shortLinesBeyondAThousandAreCounted() {
        std::string bytes = build(QStringLiteral("AA0 BA0 CA0 XA0"));
        for (int i = 0; i < 1003; ++i)
            bytes += std::string(10, ' ') + "\r\n";
        bytes += build(QStringLiteral("YA0 ZA0"));
        const QStringList rows = rowsOf(write(QStringLiteral("many.nsf"), bytes));
        QCOMPARE(rows.size(), 1001);
        QCOMPARE(rows.count(QStringLiteral("short_line@5")), 1);
        QCOMPARE(rows.last(), QStringLiteral("more_short_lines@1005"));
        QCOMPARE(rows[999], QStringLiteral("short_line@1004"));

        // A chunk keeps no more short lines than are listed and counts the
        // rest (five million of them once took 731 MB), the file's last line
        // cut short among them still told.
        std::string more = build(QStringLiteral("AA0 BA0 CA0 XA0 YA0 ZA0"));
        for (int i = 0; i < 3000; ++i)
            more += std::string(10, ' ') + "\r\n";
        more += "XA0";
        const std::string path = write(QStringLiteral("more.nsf"), more);
        const QStringList counted = rowsOf(path);
        QCOMPARE(counted.size(), 1002);
        QCOMPARE(counted[999], QStringLiteral("short_line@1006"));
        QCOMPARE(counted[1000], QStringLiteral("cut_last_line@3007"));
        QCOMPARE(counted[1001], QStringLiteral("more_short_lines@1007"));
        CheckTranscript::Opened opened = CheckTranscript::open(path);
        const ClaimRules rules(opened.layouts);
        std::vector<ChunkFindings> findings(1);
        ChunkFindingsPool pool;
        CheckVisitor visitor(rules, findings, pool);
        visitor.beginChunk(0);
        for (int i = 0; i < 5000; ++i)
            visitor.line(std::string(10, ' '), 1 + 12 * i);
        QCOMPARE(std::int64_t(findings[0].lines.size()), ChunkFindings::kShortLinesKept);
        QCOMPARE(findings[0].shortLinesCounted, 5000 - ChunkFindings::kShortLinesKept);
    }

    void lfOnlyFileHasThatOneRow() {
        QFile sample(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray lf = sample.readAll().replace("\r", "");
        QCOMPARE(rowsOf(write(QStringLiteral("lf.nsf"), lf.toStdString())),
                 QStringList{QStringLiteral("lf_only_line_ends@1")});
    }

    // A batch's BA1 is the line right after its BA0, however long the BA0
    // line is: a click shows it, and the check frames the claim the same way.
    void batchSecondLineFollowsItsHeader() {
        ClaimFileBuilder file;
        file.add(records.fileHeader("SUB", "00301"));
        file.add(records.record("BA0", {{"06.0", "123456789"}, {"18.0", "CLINIC"}}) +
                 std::string(30, ' '));
        file.add(records.record("BA1", {{"02.0", "PROV2"}}));
        file.add(records.record("CA0", {{"03.0", "P1"}}));
        file.add(records.record("XA0", {{"04.0", "1"}, {"10.0", "1"}}));
        file.add(records.record("YA0"));
        file.add(records.record("ZA0"));
        const std::string path = write(QStringLiteral("ba1.nsf"), file.bytes());
        QCOMPARE(rowsOf(path), QStringList());
        CheckTranscript::Opened opened = CheckTranscript::open(path);
        const FileTree tree = BuildTree(*opened.file);
        for (const char* key : {"BA0323", "CA0997"}) {
            const auto node = tree.findKey(key);
            QVERIFY2(node, key);
            const AssembledClaim clicked = NodeClick(*opened.file, opened.layouts, tree, *node);
            QVERIFY2(clicked.node("BA1"), key);
            QCOMPARE(clicked.record("BA1")->line.substr(0, 3), std::string("BA1"));
        }
    }

    // A file cut short while the check runs: the claims not read are no
    // passed claims, and the check says the file changed.
    void fileThatShrinksWhileChecked() {
        const std::string path =
            write(QStringLiteral("shrink.nsf"),
                  build(QStringLiteral("AA0 BA0 CA0 XA0 CA0 XA0 YA0 BA0 CA0 XA0 CA0 XA0 YA0 ZA0")));
        CheckTranscript::Opened opened = CheckTranscript::open(path);
        QVERIFY(opened.result.opened());
        FileCheck::Options options;
        options.jobs = 1;
        options.chunkBytes = 700; // the chunks after the claim are read after the change
        // Paused at the second claim: the second batch goes.
        options.beforeClaimRead = [&](std::int64_t position) {
            if (position == 1 + 4 * 322)
                QCOMPARE(::truncate(path.c_str(), 7 * 322), 0);
        };
        CheckTranscript checked(opened.layouts);
        const FileCheck::Summary summary =
            FileCheck::run(*opened.file, opened.layouts, options, checked);
        QVERIFY(summary.fileChanged);
        QVERIFY(summary.notChecked);
        QCOMPARE(summary.claims, 2);
        QCOMPARE(summary.notRead, 2);
        QCOMPARE(summary.uncertain, 2);
        QVERIFY2(checked.lines.back().rfind("problem file_changed", 0) == 0 &&
                     checked.lines.back().find("found 2/0 expected 4") != std::string::npos,
                 checked.lines.back().c_str());
    }

    // Another file of the same size copied over the open one mid-check: a
    // batch header read back by position is no BA0 any more, and the claim
    // framed by it could not be read, in the check and in a click.
    void fileRewrittenInPlace() {
        const std::string before = build(QStringLiteral("AA0 BA0 CA0 XA0 YA0 BA0 CA0 XA0 YA0 ZA0"));
        const std::string after = build(QStringLiteral("AA0 BA0 CA0 XA0 CA0 XA0 CA0 XA0 YA0 ZA0"));
        QCOMPARE(after.size(), before.size());
        const std::string path = write(QStringLiteral("rewrite.nsf"), before);
        // Its time before the change lies in the past, so the change shows in it.
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
        CheckTranscript::Opened opened = CheckTranscript::open(path);
        QVERIFY(opened.result.opened());
        const FileTree tree = BuildTree(*opened.file);
        FileCheck::Options options;
        options.jobs = 1;
        options.chunkBytes = 700; // chunks begin at lines 1, 4, 7, 10
        options.beforeClaimRead = [&](std::int64_t position) {
            if (position != 1 + 2 * 322)
                return;
            const int fd = ::open(path.c_str(), O_WRONLY);
            QVERIFY(fd >= 0);
            QCOMPARE(::pwrite(fd, after.data(), after.size(), 0), ssize_t(after.size()));
            ::close(fd);
        };
        CheckTranscript checked(opened.layouts);
        const FileCheck::Summary summary =
            FileCheck::run(*opened.file, opened.layouts, options, checked);
        QVERIFY(summary.fileChanged);
        // The claim on line 7 hangs under the BA0 that was on line 6: an XA0 now.
        const std::string key = "CA0" + std::to_string(1 + 6 * 322);
        const auto claim = std::find_if(checked.claims.begin(), checked.claims.end(),
                                        [&](const std::string& c) { return c.rfind(key, 0) == 0; });
        QVERIFY(claim != checked.claims.end());
        QVERIFY2(claim->find("\n  unreadable claim") != std::string::npos, claim->c_str());
        // A click on it, by the tree of the file before.
        const auto node = tree.findKey(key);
        QVERIFY(node);
        const AssembledClaim clicked = NodeClick(*opened.file, opened.layouts, tree, *node);
        QVERIFY(clicked.unreadable);
        QVERIFY(clicked.record("BA0")->line.empty());
    }
};

QTEST_GUILESS_MAIN(FileStructureTest)
#include "FileStructureTest.moc"

// The problem store against the check it keeps: every row given back exactly
// as the check handed it on, in order, read by number and read in order,
// appended in slices of any size, on generated files with every fault the
// generator injects and on damaged ones; a claim's rows found by its tree
// node; and where each kind of row leads in the tree (ProblemPlace).
#include "core/check/ProblemStore.h"

#include "CheckTranscript.h"
#include "ClaimFileBuilder.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "core/check/ProblemCollector.h"
#include "core/check/ProblemPlace.h"
#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <map>

using namespace qm;

namespace {

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Every number of a row, its value, its batch's BA0 and its claim's node.
std::string describe(const Problem& p, std::string_view value, std::int64_t batchPosition,
                     std::int64_t claimNode) {
    return std::string(ProblemWords::kindKey(p.kind)) + " " +
           std::string(ProblemWords::scopeKey(p.scope)) + " flags " + std::to_string(p.flags) +
           " type " + std::to_string(p.recordType) + "-" + std::to_string(p.occurrence) + " f" +
           std::to_string(p.field) + " b" + std::to_string(p.batch) + "@" +
           std::to_string(batchPosition) + " c" + std::to_string(p.claim) + "@" +
           std::to_string(claimNode) + " @" + std::to_string(p.position) + " l" +
           std::to_string(p.line) + " found " + std::to_string(p.found) + " expected " +
           std::to_string(p.expected) + " [" + std::string(value) + "]";
}

std::string describe(const ProblemStore::Entry& e) {
    return describe(e.problem, e.value, e.batchPosition, e.claimNode);
}

// The rows as the check hands them on, written down with their batch's BA0
// and their claim's node as the tree has them; handed on to a collector too.
class RowLog : public FileCheck::Consumer {
public:
    RowLog(const FileTree& tree, ProblemCollector& collector)
        : tree_(tree)
        , collector_(collector) {}
    void batch(const FileCheck::Batch& b) override {
        batches_[b.index] = b.position;
        collector_.batch(b);
    }
    void claim(const FileCheck::Claim& c) override {
        claims_[c.index] = c.position;
        for (const ProblemRow& r : c.rows)
            add(r);
        collector_.claim(c);
    }
    void trailer(const FileCheck::Trailer& t) override {
        for (const ProblemRow& r : t.rows)
            add(r);
        collector_.trailer(t);
    }
    void problem(const ProblemRow& r) override {
        add(r);
        collector_.problem(r);
    }
    std::vector<std::string> rows;
    std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> claimRows; // node: [first, end)

private:
    void add(const ProblemRow& r) {
        const Problem& p = r.problem;
        std::int64_t node = -1;
        if (p.claim >= 0)
            node = tree_.findNode("CA0", claims_[p.claim]).value_or(-1);
        if (p.scope == Problem::Scope::Claim && node >= 0) {
            auto& range = claimRows.try_emplace(node, std::int64_t(rows.size()), 0).first->second;
            range.second = std::int64_t(rows.size()) + 1;
        }
        rows.push_back(describe(p, r.value, p.batch >= 0 ? batches_[p.batch] : 0, node));
    }
    const FileTree& tree_;
    ProblemCollector& collector_;
    std::map<std::int64_t, std::int64_t> batches_;
    std::map<std::int64_t, std::int64_t> claims_;
};

} // namespace

class ProblemStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::string write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
        return dir.filePath(name).toStdString();
    }

    // Checks the file into a store, appended in slices of `slice` rows, and
    // compares it with the check's rows every way it can be read.
    void compare(const std::string& path, std::size_t slice) {
        CheckTranscript::Opened opened = CheckTranscript::open(path);
        if (!opened.result.opened())
            return; // no claim file: nothing to keep
        auto tree = std::make_shared<const FileTree>(BuildTree(*opened.file));
        ProblemCollector collector(*tree);
        RowLog log(*tree, collector);
        FileCheck::Options options;
        options.jobs = 2;
        options.chunkBytes = 4096;
        const FileCheck::Summary summary =
            FileCheck::run(*opened.file, opened.layouts, options, log);
        ProblemStore store(tree);
        const ProblemStore::Pending pending = collector.take();
        for (std::size_t at = 0; at < pending.size(); at += slice)
            store.append(pending, at, slice);
        store.finish(summary);

        QCOMPARE(store.size(), std::int64_t(log.rows.size()));
        QCOMPARE(store.counts().rows, summary.problems);
        QCOMPARE(store.counts().claims, summary.claimsWithProblems);
        QCOMPARE(store.counts().batches, summary.batchesWithProblems);
        QCOMPARE(store.counts().file, summary.fileProblems);
        QVERIFY(store.summary());
        // In order, by number from the end back, and by seeking about.
        ProblemStore::Reader reader(store);
        for (std::size_t i = 0; i < log.rows.size(); ++i)
            QCOMPARE(QString::fromStdString(describe(reader.next())),
                     QString::fromStdString(log.rows[i]));
        QVERIFY(reader.atEnd());
        for (std::int64_t i = store.size() - 1; i >= 0; --i)
            QCOMPARE(describe(store.at(i)), log.rows[std::size_t(i)]);
        for (std::int64_t i = 0; i < store.size(); i += 37) {
            reader.seek(i);
            QCOMPARE(describe(reader.next()), log.rows[std::size_t(i)]);
            reader.seek(i / 2);
            QCOMPARE(describe(reader.next()), log.rows[std::size_t(i / 2)]);
        }
        // A claim's rows by its node; every other node has none.
        QCOMPARE(store.claimNodeCount(), std::int64_t(log.claimRows.size()));
        std::int64_t i = 0;
        for (const auto& [node, range] : log.claimRows) {
            QCOMPARE(store.claimNode(i), node);
            QCOMPARE(store.claimNodesBefore(node), i++);
            const ProblemStore::Range rows = store.claimRows(node);
            QCOMPARE(std::make_pair(rows.first, rows.end), range);
        }
        for (std::int64_t node = 0; node < tree->size(); ++node)
            if (!log.claimRows.count(node))
                QVERIFY(store.claimRows(node).empty());
    }

private slots:
    void keepsEveryRowAsTheCheckGaveIt_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("claim faults")
            << words("--version 00200 --claims 300 --batches 3 --wrong-totals 2 --wrong-totals 170 "
                     "--no-xa0 3 --no-xa0 299 --seed 11");
        QTest::newRow("every fault")
            << words("--version 00301 --claims 40 --batches 5 --wrong-totals 4 --no-xa0 5 "
                     "--wrong-batch-count 1 --wrong-batch-total 2 --no-ya0 3 --claim-outside 4 "
                     "--short-line 7 --short-line 30 --wrong-file-count --wrong-file-total "
                     "--record-after-za0 --cut-last-line --seed 3");
        QTest::newRow("no file trailer") << words("--version 00301 --claims 3 --no-za0");
        QTest::newRow("every claim without XA0")
            << words("--version 00301 --claims 2000 --batches 9 --bare-claims");
    }

    void keepsEveryRowAsTheCheckGaveIt() {
        QFETCH(QStringList, arguments);
        const std::string path =
            write(QStringLiteral("g.nsf"), GeneratedFiles::generate(arguments));
        for (const std::size_t slice : {std::size_t(1), std::size_t(7), std::size_t(100000)})
            compare(path, slice);
    }

    // Lines cut, doubled, dropped, run together, retyped, given bytes that
    // fail their checks: rows of every kind in any order.
    void keepsTheRowsOfDamagedFiles() {
        QFile sample(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray good = sample.readAll();
        for (quint32 variant = 0; variant < 30; ++variant) {
            compare(
                write(QStringLiteral("h.nsf"), GeneratedFiles::damaged(good, 700 + variant, true)),
                5);
            if (QTest::currentTestFailed())
                qFatal("variant %u differs", variant);
        }
    }

    // A value longer than what is left of a chunk of the pool starts the next.
    void longValuesKeepTheirBytes() {
        ProblemStore store(std::make_shared<const FileTree>());
        const std::string longValue(400000, 'x');
        ProblemRow row;
        row.problem.kind = Problem::Kind::InvalidValue;
        row.problem.claim = 0;
        for (int i = 0; i < 8; ++i) {
            const std::string value = longValue.substr(0, std::size_t(300000 + i));
            row.value = value;
            store.append(row, 0, -1);
            QCOMPARE(store.at(i).value.size(), value.size());
            QVERIFY(store.at(i).value == value);
        }
        QVERIFY(store.at(0).value == longValue.substr(0, 300000));
    }

    // Where each kind of row leads: its claim on the record and field it
    // names, a batch or the file header with the trailer it is about, or the
    // node a line belongs to.
    void eachKindLeadsToWhatItIsAbout_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("places"); // a row each, in file order
        QTest::newRow("generated, every fault")
            << GeneratedFiles::generate(
                   words("--version 00301 --claims 6 --batches 3 --claim-outside 1 --short-line 2 "
                         "--record-after-za0 --cut-last-line --wrong-batch-total 2 --no-ya0 3 "
                         "--wrong-file-total --wrong-totals 4 --no-xa0 5 --seed 3"))
            << QStringList{
                   QStringLiteral("short_line: node CA03865"),
                   QStringLiteral("claim_outside_batch: record CA06543 CA0"),
                   QStringLiteral("totals_do_not_compute: record CA09119 XA0 12.0"),
                   QStringLiteral("no_xa0: record CA011373"),
                   QStringLiteral("trailer_does_not_balance: trailer BA08475 YA0@12983 11.0"),
                   QStringLiteral("batch_without_trailer: node BA013305"),
                   QStringLiteral("trailer_does_not_balance: trailer AA01 ZA0@18457 09.0"),
                   QStringLiteral("records_after_file_trailer: node CA016203"),
                   QStringLiteral("cut_last_line: node CA016203")};
        const NsfRecords records(MAPS_DIR, "nsf0301.map");
        ClaimFileBuilder built;
        built
            .add(records.fileHeader("SUB", "00301"))             // 1
            .add(records.record("BA0", {{"06.0", "123456789"}})) // 323
            .add(records.record("CA0", {{"03.0", "P1"}}))        // 645
            .add(records.record("FA0", {{"02.0", "1"}, {"05.0", "20231340"}, {"13.0", "100"}}))
            .add(records.record("XA0",
                                {{"04.0", "1"}, {"07.0", "1"}, {"10.0", "2"}, {"12.0", "100"}}))
            .add(records.record("YA0"))              // 1611
            .add(records.record("YA0"))              // 1933
            .add(ClaimFileBuilder::record("ZZ9"))    // 2255
            .add(records.fileHeader("SUB", "00301")) // 2577
            .add(records.record("ZA0"));             // 2899
        QTest::newRow("hand-built")
            << QByteArray::fromStdString(built.bytes())
            << QStringList{QStringLiteral("invalid_value: record CA0645 FA0-1 05.0"),
                           QStringLiteral("trailer_without_batch: node CA0645"),
                           QStringLiteral("unknown_record_type: node CA0645"),
                           QStringLiteral("second_file_header: node AA02577")};
    }

    void eachKindLeadsToWhatItIsAbout() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, places);
        CheckTranscript::Opened opened =
            CheckTranscript::open(write(QStringLiteral("p.nsf"), file));
        QVERIFY(opened.result.opened());
        auto tree = std::make_shared<const FileTree>(BuildTree(*opened.file));
        ProblemCollector collector(*tree);
        FileCheck::run(*opened.file, opened.layouts, {}, collector);
        ProblemStore store(tree);
        store.append(collector.take(), 0, SIZE_MAX);
        QStringList shown;
        for (std::int64_t row = 0; row < store.size(); ++row) {
            const ProblemStore::Entry entry = store.at(row);
            const ProblemPlace place = ProblemPlace::of(entry, *tree, opened.layouts.get());
            QString text = QString::fromLatin1(ProblemWords::kindKey(entry.problem.kind)) +
                           QStringLiteral(": ");
            switch (place.show) {
            case ProblemPlace::Show::Nothing:
                text += QStringLiteral("nothing");
                break;
            case ProblemPlace::Show::Record:
                text += QStringLiteral("record ");
                break;
            case ProblemPlace::Show::Trailer:
                text += QStringLiteral("trailer ");
                break;
            case ProblemPlace::Show::Node:
                text += QStringLiteral("node ");
                break;
            }
            if (place.node >= 0)
                text += QString::fromStdString(tree->key(place.node));
            if (!place.record.empty())
                text += QLatin1Char(' ') + QString::fromStdString(place.record);
            if (place.trailerPosition)
                text += QLatin1Char('@') + QString::number(place.trailerPosition);
            if (place.field >= 0)
                text += QLatin1Char(' ') + QString::fromStdString(std::string(ProblemWords::fieldId(
                                               entry.problem, opened.layouts.get())));
            shown << text;
            // The node whose own mark the row is.
            const std::int64_t owner = ProblemPlace::ownerNode(entry, *tree);
            const std::string_view ownerType = owner >= 0 ? tree->recordType(owner) : "";
            QCOMPARE(ownerType, entry.problem.scope == Problem::Scope::Claim   ? "CA0"
                                : entry.problem.scope == Problem::Scope::Batch ? "BA0"
                                                                               : "AA0");
        }
        QCOMPARE(shown, places);
    }
};

QTEST_GUILESS_MAIN(ProblemStoreTest)
#include "ProblemStoreTest.moc"

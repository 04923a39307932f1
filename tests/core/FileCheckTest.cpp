// The whole-file check against clicking every claim one by one: the same
// verdict and the same problem rows for every claim, and the same rows of the
// batches and the file whatever the jobs, the chunks and the index, on
// generated files with every fault the generator injects and on hostile files.
#include "core/check/FileCheck.h"

#include "CheckTranscript.h"
#include "GeneratedFiles.h"
#include "core/check/ClaimVisitor.h"
#include "core/check/PassListener.h"
#include "core/check/ProblemWords.h"
#include "core/check/StatisticsGatherer.h"
#include "core/filetree/HeaderIndex.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>

using namespace qm;

namespace {

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// Two transcripts, the first line that differs shown whole.
void compareLines(const std::vector<std::string>& actual,
                  const std::vector<std::string>& expected) {
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i)
        QCOMPARE(QString::fromStdString(actual[i]), QString::fromStdString(expected[i]));
    QCOMPARE(actual.size(), expected.size());
}

// A consumer that counts the claims it is given.
class ClaimCount : public FileCheck::Consumer {
public:
    void batch(const FileCheck::Batch&) override {}
    void claim(const FileCheck::Claim&) override { ++claims; }
    void trailer(const FileCheck::Trailer&) override {}
    void problem(const ProblemRow&) override {}
    std::int64_t claims = 0;
};

// A listener that counts what it sees: the claims its workers' visitors end,
// the chunks in the order handed on, and the claims of the findings.
class CountingListener : public PassListener {
public:
    struct Visitor : ClaimVisitor {
        explicit Visitor(std::atomic<std::int64_t>& claims)
            : claims_(claims) {}
        void beginChunk(std::size_t) override {}
        void record(std::size_t, int, int, std::string_view) override {}
        void endClaim(const PassClaim&) override { ++claims_; }
        std::atomic<std::int64_t>& claims_;
    };
    void begin(std::size_t chunkCount) override { chunks = chunkCount; }
    std::unique_ptr<ClaimVisitor> visitor(const ClaimRules&, const CheckVisitor&) override {
        return std::make_unique<Visitor>(visited);
    }
    void chunkRead(std::size_t chunk) override { order.push_back(int(chunk)); }
    void chunkDone(std::size_t chunk) override { order.push_back(-int(chunk) - 1); }
    FileCheck::Consumer* findings() override { return &found; }
    bool end(bool done, const SequentialFile&, const LayoutCatalogue&, const Progress&) override {
        ended = done;
        return true;
    }

    std::size_t chunks = 0;
    std::atomic<std::int64_t> visited{0};
    std::vector<int> order;
    ClaimCount found;
    bool ended = false;
};

} // namespace

class FileCheckTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::string path(const QString& name) { return dir.filePath(name).toStdString(); }

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Opens the file with the real maps, compares the check's claims with the
    // clicks, and every check's whole transcript with the first's. Returns
    // the rows' kinds and lines, for the caller to look at.
    std::vector<std::string> compare(const std::string& file) {
        CheckTranscript::Opened opened = CheckTranscript::open(file);
        if (!opened.result.opened())
            return {}; // no claim file: nothing to check either way
        const FileTree tree = BuildTree(*opened.file);
        const std::vector<std::string> clicks =
            CheckTranscript::byClicks(*opened.file, opened.layouts, tree);
        // Without the tree's index (a first reading finds the headers) and with it.
        const auto index = std::make_shared<const HeaderIndex>(tree);
        std::vector<std::string> first;
        std::vector<std::string> kinds;
        for (const auto& given : {std::shared_ptr<const HeaderIndex>(), index}) {
            for (int jobs : {1, 3}) {
                for (std::int64_t chunk : {std::int64_t(8) << 20, std::int64_t(997)}) {
                    CheckTranscript checked(opened.layouts);
                    CheckTranscript::run(*opened.file, opened.layouts, checked, jobs, chunk, given);
                    if (QTest::currentTestFailed())
                        return {};
                    compareLines(checked.claims, clicks);
                    if (first.empty())
                        first = checked.lines, kinds = checked.kinds;
                    compareLines(checked.lines, first);
                }
            }
        }
        return kinds;
    }

private slots:
    void generatedFilesWithInjectedFaults_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("rows"); // kinds, in file order
        QTest::newRow("3.01 clean")
            << words("--version 00301 --claims 60 --batches 4 --seed 7") << QStringList();
        QTest::newRow("2.00 claim faults")
            << words("--version 00200 --claims 40 --batches 3 --wrong-totals 2 --wrong-totals 17 "
                     "--no-xa0 3 --no-xa0 40 --seed 11")
            << words("totals_do_not_compute no_xa0 totals_do_not_compute no_xa0");
        QTest::newRow("readable sample recipe")
            << words("--version 00301 --readable") << words("totals_do_not_compute no_xa0");
        QTest::newRow("trailer faults")
            << words("--version 00301 --claims 9 --batches 3 --wrong-batch-count 1 "
                     "--wrong-batch-total 2 --no-ya0 3 --wrong-file-count --wrong-file-total")
            << words("trailer_does_not_balance trailer_does_not_balance batch_without_trailer "
                     "trailer_does_not_balance trailer_does_not_balance");
        QTest::newRow("structure faults")
            << words("--version 00301 --claims 6 --batches 2 --claim-outside 1 --short-line 2 "
                     "--record-after-za0 --cut-last-line --seed 3")
            << words("short_line claim_outside_batch records_after_file_trailer cut_last_line");
        QTest::newRow("no file trailer")
            << words("--version 00200 --claims 3 --no-za0") << words("no_file_trailer");
    }

    void generatedFilesWithInjectedFaults() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, rows);
        write(QStringLiteral("g.nsf"), GeneratedFiles::generate(arguments));
        QStringList kinds;
        for (const std::string& kind : compare(path(QStringLiteral("g.nsf"))))
            kinds << QString::fromStdString(kind).section(QLatin1Char('@'), 0, 0);
        QCOMPARE(kinds, rows);
    }

    // Lines cut, doubled, dropped, run together, given stray line feeds, other
    // types and bytes that fail their checks: seeded, so any failure repeats.
    void hostileVariantsOfTheSample() {
        QFile sample(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray good = sample.readAll();
        for (quint32 variant = 0; variant < 40; ++variant) {
            const QByteArray bytes = GeneratedFiles::damaged(good, 20261208 + variant, false);
            write(QStringLiteral("h.nsf"), bytes);
            compare(path(QStringLiteral("h.nsf")));
            if (QTest::currentTestFailed())
                qFatal("variant %u differs", variant);
        }
    }

    // A report words rows of some kinds once for all: nothing of such a row
    // may show in its line.
    void fixedWordsNameNothingOfTheRow() {
        const auto layouts = CheckTranscript::open(SAMPLES_DIR "/sample301.nsf").layouts;
        int fixed = 0;
        for (int kind = 0; kind < Problem::kKindCount; ++kind) {
            ProblemRow bare, full;
            bare.problem.kind = full.problem.kind = static_cast<Problem::Kind>(kind);
            if (!ProblemWords::wordsFixed(bare.problem.kind))
                continue;
            ++fixed;
            Problem& p = full.problem;
            p.flags = Problem::kFoundIsNumber;
            p.recordType = 29;
            p.occurrence = 2;
            p.field = 3;
            p.batch = 4;
            p.claim = 5;
            p.position = 6;
            p.line = 7;
            p.found = 8;
            p.expected = 9;
            full.value = "VALUE";
            for (const auto bytes : {ProblemWords::Bytes::Utf8, ProblemWords::Bytes::Printable})
                QCOMPARE(ProblemWords::line(full, layouts.get(), bytes),
                         ProblemWords::line(bare, layouts.get(), bytes));
        }
        QCOMPARE(fixed, 2);
    }

    void listenersReadAlongInTheOneReading() {
        // The statistics and another listener, both fed by the one reading:
        // the same figures as the check gathering them alone, every claim
        // seen by the other's workers and in the findings, chunk by chunk in order.
        write(QStringLiteral("l.nsf"),
              GeneratedFiles::generate(
                  words("--version 00301 --claims 400 --batches 4 --wrong-totals 7")));
        CheckTranscript::Opened opened = CheckTranscript::open(path(QStringLiteral("l.nsf")));
        QVERIFY(opened.result.opened());
        FileCheck::Options options;
        options.chunkBytes = 16384;
        options.jobs = 3;
        ClaimCount alone;
        FileStatistics expected;
        StatisticsGatherer::check(*opened.file, opened.layouts, options, alone, expected);
        StatisticsGatherer statistics(FileStatistics::kCountedOneByOne, nullptr);
        CountingListener counting;
        ClaimCount consumer;
        const FileCheck::Summary summary = FileCheck::run(*opened.file, opened.layouts, options,
                                                          consumer, {&statistics, &counting});
        QVERIFY(!summary.cancelled && counting.ended);
        QCOMPARE(summary.claims, 400);
        QCOMPARE(consumer.claims, 400);
        QCOMPARE(counting.visited.load(), 400);
        QCOMPARE(counting.found.claims, 400);
        QVERIFY(counting.chunks > 3);
        std::vector<int> order;
        for (int chunk = 0; chunk < int(counting.chunks); ++chunk)
            order.insert(order.end(), {chunk, -chunk - 1});
        QCOMPARE(counting.order, order);
        const FileStatistics figures = statistics.takeFigures();
        QCOMPARE(figures.claims, expected.claims);
        QCOMPARE(figures.problems, expected.problems);
        QVERIFY(figures.money.charges == expected.money.charges);
        QCOMPARE(figures.perBatch.size(), expected.perBatch.size());
    }

    void cancelStopsTheCheck() {
        write(QStringLiteral("c.nsf"),
              GeneratedFiles::generate(words("--version 00301 --claims 300")));
        CheckTranscript::Opened opened = CheckTranscript::open(path(QStringLiteral("c.nsf")));
        QVERIFY(opened.result.opened());
        FileCheck::Options options;
        options.chunkBytes = 4096;
        options.progress = [](std::int64_t, std::int64_t) {
            return false;
        };
        ClaimCount count;
        const FileCheck::Summary summary =
            FileCheck::run(*opened.file, opened.layouts, options, count);
        QVERIFY(summary.cancelled);
        QVERIFY(count.claims < 300);
    }
};

QTEST_GUILESS_MAIN(FileCheckTest)
#include "FileCheckTest.moc"

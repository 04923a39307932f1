// The file statistics the whole-file check gathers: every figure of a file
// built so that its figures are known, the same whatever the jobs and
// chunks, and in agreement with the check and with the trailers of
// generated files.
#include "core/check/FileStatistics.h"

#include "CheckTranscript.h"
#include "ClaimFileBuilder.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "core/check/FileCheck.h"
#include "core/report/SummaryReport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

using namespace qm;

namespace {

struct Line {
    const char* date; // FA0 05.0
    const char* code; // FA0 09.0
    long long charges;
};

struct Checked {
    FileCheck::Summary summary;
    FileStatistics statistics;
    std::string json;
};

std::string toJson(const FileStatistics& statistics) {
    std::ostringstream out;
    SummaryReport::write(out, statistics, true);
    return out.str();
}

} // namespace

class FileStatisticsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords r{MAPS_DIR, "nsf0301.map"};

    std::string path(const char* name) { return dir.filePath(QLatin1String(name)).toStdString(); }

    // A claim of these service lines whose XA0 states their counts and
    // charges; without xa0 it has none.
    void addClaim(ClaimFileBuilder& file, const std::string& pcn, const std::vector<Line>& lines,
                  bool xa0 = true) {
        file.add(r.record("CA0", {{"03.0", pcn}, {"04.0", "DOE"}, {"05.0", "JANE"}}));
        long long charges = 0;
        int seq = 0;
        for (const Line& line : lines) {
            file.add(r.record("FA0", {{"02.0", std::to_string(++seq)},
                                      {"03.0", pcn},
                                      {"05.0", line.date},
                                      {"06.0", line.date},
                                      {"09.0", line.code},
                                      {"13.0", std::to_string(line.charges)}}));
            charges += line.charges;
        }
        if (!xa0)
            return;
        std::map<std::string, std::string> values{{"03.0", pcn},
                                                  {"04.0", "1"},
                                                  {"07.0", std::to_string(lines.size())},
                                                  {"10.0", std::to_string(lines.size() + 1)},
                                                  {"12.0", std::to_string(charges)}};
        for (const char* id : {"05.0", "06.0", "08.0", "09.0", "13.0", "14.0", "15.0", "16.0",
                               "17.0", "18.0", "20.0"})
            values[id] = "0";
        file.add(r.record("XA0", values));
    }

    // Three batches, two of one provider, six claims:
    //   SMITH: P1 (two lines: 2024-01-15 and the earlier 2024-01-10), P2;
    //   GENERAL CLINIC: P3, P4 (a date that is none), P5 (no XA0);
    //   SMITH again: P6.
    ClaimFileBuilder knownFile() {
        ClaimFileBuilder file;
        file.add(r.fileHeader("QMTESTSUB01", "00301"));
        const std::map<std::string, std::string> smith{
            {"02.0", "PROV1"}, {"06.0", "111111111"}, {"19.0", "SMITH"}, {"20.0", "JOHN"}};
        file.add(r.record("BA0", smith));
        addClaim(file, "P1", {{"20240115", "99213", 5000}, {"20240110", "99214", 7500}});
        addClaim(file, "P2", {{"20240203", "99213", 5000}});
        file.add(r.record("YA0"));
        file.add(r.record("BA0",
                          {{"02.0", "PROV2"}, {"06.0", "222222222"}, {"18.0", "GENERAL CLINIC"}}));
        addClaim(file, "P3", {{"20240220", "80050", 30000}});
        addClaim(file, "P4", {{"20241340", "99213", 1000000}});
        addClaim(file, "P5", {{"20231231", "99214", 2000}}, false);
        file.add(r.record("YA0"));
        file.add(r.record("BA0", smith));
        addClaim(file, "P6", {{"20240105", "A0425", 250000}});
        file.add(r.record("YA0"));
        file.add(r.record("ZA0"));
        return file;
    }

    Checked check(const std::string& file, int jobs, std::int64_t chunkBytes) {
        Checked checked;
        const CheckTranscript::Opened opened = CheckTranscript::open(file);
        if (!opened.file)
            return checked;
        CheckTranscript transcript(opened.layouts);
        FileCheck::Options options;
        options.jobs = jobs;
        options.chunkBytes = chunkBytes;
        checked.summary =
            FileCheck::run(*opened.file, opened.layouts, options, transcript, &checked.statistics);
        checked.json = toJson(checked.statistics);
        return checked;
    }

    // The same figures however the file is split among workers.
    Checked checkEveryWay(const std::string& file) {
        const Checked first = check(file, 1, std::int64_t(8) << 20);
        for (const auto& [jobs, chunk] : {std::pair<int, std::int64_t>{3, 997}, {2, 5000}}) {
            const Checked other = check(file, jobs, chunk);
            if (other.json != first.json)
                qFatal("jobs %d, chunks of %lld differ:\n%s\n%s", jobs, (long long)chunk,
                       other.json.c_str(), first.json.c_str());
        }
        return first;
    }

    // A trailer's field as a number (the generator's trailers balance).
    long long field(const QByteArray& record, const char* type, const char* id) {
        return record.mid(r.start(type, id) - 1, r.length(type, id)).trimmed().toLongLong();
    }

private slots:
    void everyFigureOfAFileBuiltToKnownFigures() {
        knownFile().write(QString::fromStdString(path("known.nsf")));
        const Checked c = checkEveryWay(path("known.nsf"));
        const FileStatistics& s = c.statistics;

        const std::vector<std::pair<const char*, std::pair<long long, long long>>> figures{
            {"batches", {s.batches, 3}},
            {"claims", {s.claims, 6}},
            {"service lines", {s.serviceLines, 7}},
            {"records", {s.records, 26}},
            {"charges", {s.charges, 1297500}},
            {"claims without date", {s.claimsWithoutDate, 1}},
            {"claims without charges", {s.claimsWithoutCharges, 1}},
            {"no XA0 problems", {s.problemsByKind[std::size_t(Problem::Kind::NoXa0)], 1}},
            {"problems as the check counts them", {s.problems, c.summary.problems}},
            {"claims as the check counts them", {s.claims, c.summary.claims}},
            {"procedure codes", {s.procedureCodes, 4}},
            {"lines of uncounted codes", {s.linesOfUncountedCodes, 0}},
        };
        for (const auto& [name, values] : figures)
            QVERIFY2(values.first == values.second, qPrintable(QStringLiteral("%1: %2, not %3")
                                                                   .arg(QLatin1String(name))
                                                                   .arg(values.first)
                                                                   .arg(values.second)));

        // claims, service lines, records, charges of each batch
        const std::vector<std::array<long long, 4>> batches{
            {2, 3, 9, 17500}, {3, 3, 10, 1030000}, {1, 1, 5, 250000}};
        QCOMPARE(s.perBatch.size(), batches.size());
        long long batchProblems = 0;
        for (std::size_t i = 0; i < batches.size(); ++i) {
            const FileStatistics::Batch& b = s.perBatch[i];
            QCOMPARE(b.index, std::int64_t(i));
            QCOMPARE((std::array<long long, 4>{b.claims, b.serviceLines, b.records, b.charges}),
                     batches[i]);
            batchProblems += b.problems;
        }
        QCOMPARE(batchProblems + c.summary.fileProblems, s.problems);
        QVERIFY(s.perBatch[1].problems >= 1); // P5 has no XA0

        QCOMPARE(s.providers.size(), std::size_t(2));
        QVERIFY(QByteArray::fromStdString(s.providers[0].text).contains("GENERAL CLINIC"));
        QCOMPARE((std::array<long long, 3>{s.providers[0].batches, s.providers[0].claims,
                                           s.providers[0].charges}),
                 (std::array<long long, 3>{1, 3, 1030000}));
        QVERIFY(QByteArray::fromStdString(s.providers[1].text).contains("SMITH"));
        QCOMPARE((std::array<long long, 3>{s.providers[1].batches, s.providers[1].claims,
                                           s.providers[1].charges}),
                 (std::array<long long, 3>{2, 3, 267500}));

        QStringList months;
        for (const FileStatistics::Month& m : s.months)
            months << QStringLiteral("%1:%2")
                          .arg(QString::fromStdString(SummaryReport::monthLabel(m)))
                          .arg(m.claims);
        QCOMPARE(months, QStringLiteral("2023-12:1 2024-01:2 2024-02:2").split(QLatin1Char(' ')));

        QCOMPARE(s.chargeBins, (std::array<std::int64_t, FileStatistics::kChargeBins>{1, 1, 1, 0, 0,
                                                                                      1, 0, 1, 0}));

        auto codes = [](const std::vector<FileStatistics::Procedure>& list) {
            QStringList out;
            for (const FileStatistics::Procedure& p : list)
                out << QStringLiteral("%1:%2:%3")
                           .arg(QString::fromStdString(p.code))
                           .arg(p.serviceLines)
                           .arg(p.charges);
            return out.join(QLatin1Char(' '));
        };
        QCOMPARE(codes(s.topByLines),
                 QStringLiteral("99213:3:1010000 99214:2:9500 80050:1:30000 A0425:1:250000"));
        QCOMPARE(codes(s.topByCharges),
                 QStringLiteral("99213:3:1010000 A0425:1:250000 80050:1:30000 99214:2:9500"));
    }

    // Generated files whose trailers balance: each batch's YA0 and the ZA0
    // state the very counts and charges the statistics give, and the problems
    // are the check's, whatever faults were injected into claims.
    void generatedFilesAgreeWithTheirTrailersAndTheCheck_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("3.01") << QStringLiteral(
            "--version 00301 --claims 400 --batches 9 --seed 4");
        QTest::newRow("2.00") << QStringLiteral(
            "--version 00200 --claims 120 --batches 5 --seed 9");
        QTest::newRow("claim faults")
            << QStringLiteral("--version 00301 --claims 90 --batches 3 --no-xa0 5 --no-xa0 44 "
                              "--wrong-totals 7 --seed 2");
    }

    void generatedFilesAgreeWithTheirTrailersAndTheCheck() {
        QFETCH(QString, arguments);
        const QString file = dir.filePath(QStringLiteral("g.nsf"));
        QVERIFY(GeneratedFiles::write(arguments.split(QLatin1Char(' ')), file));
        const bool faults = arguments.contains(QLatin1String("--no-xa0"));
        const Checked c = checkEveryWay(file.toStdString());
        const FileStatistics& s = c.statistics;

        QCOMPARE(s.claims, c.summary.claims);
        QCOMPARE(s.batches, c.summary.batches);
        QCOMPARE(s.problems, c.summary.problems);
        std::int64_t kinds = 0;
        for (const std::int64_t n : s.problemsByKind)
            kinds += n;
        QCOMPARE(kinds, s.problems);
        QCOMPARE(s.problemsByKind[std::size_t(Problem::Kind::NoXa0)], c.summary.withoutXa0);

        std::int64_t months = s.claimsWithoutDate, bins = s.claimsWithoutCharges;
        for (const FileStatistics::Month& m : s.months)
            months += m.claims;
        for (const std::int64_t n : s.chargeBins)
            bins += n;
        QCOMPARE(months, s.claims);
        QCOMPARE(bins, s.claims);
        QCOMPARE(s.claimsWithoutCharges, c.summary.withoutXa0);

        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        std::size_t batch = 0;
        for (const QByteArray& line : in.readAll().split('\n')) {
            if (line.startsWith("YA0")) {
                QVERIFY(batch < s.perBatch.size());
                const FileStatistics::Batch& b = s.perBatch[batch++];
                QCOMPARE(b.claims, field(line, "YA0", "10.0"));
                QCOMPARE(b.serviceLines, field(line, "YA0", "08.0"));
                if (!faults) // a claim without XA0 still has its line charges
                    QCOMPARE(b.charges, field(line, "YA0", "11.0"));
            } else if (line.startsWith("ZA0")) {
                QCOMPARE(s.serviceLines, field(line, "ZA0", "05.0"));
                QCOMPARE(s.claims, field(line, "ZA0", "07.0"));
                QCOMPARE(s.batches, field(line, "ZA0", "08.0"));
            }
        }
        QCOMPARE(batch, s.perBatch.size());
    }

    void binsHaveTheirEdges() {
        QCOMPARE(FileStatistics::chargeBin(9999), std::size_t(0));
        QCOMPARE(FileStatistics::chargeBin(10000), std::size_t(1));
        QCOMPARE(FileStatistics::chargeBin(-5), std::size_t(0));
        QCOMPARE(FileStatistics::chargeBin(2500000), FileStatistics::kChargeBins - 1);
        QCOMPARE(QString::fromStdString(SummaryReport::binLabel(0)), QStringLiteral("under $100"));
        QCOMPARE(QString::fromStdString(SummaryReport::binLabel(4)),
                 QStringLiteral("$1,000 to $2,500"));
        QCOMPARE(QString::fromStdString(SummaryReport::binLabel(FileStatistics::kChargeBins - 1)),
                 QStringLiteral("$25,000 and over"));
    }
};

QTEST_GUILESS_MAIN(FileStatisticsTest)
#include "FileStatisticsTest.moc"

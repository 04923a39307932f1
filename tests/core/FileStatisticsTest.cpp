// The file statistics the whole-file check gathers: every figure of a file
// built so that its figures are known, the same whatever the jobs and
// chunks, and in agreement with the check and with the trailers of
// generated files; batches that end where the check ends them, sums past
// 64 bits, memory that stays the same however many batches and procedure
// codes, and the busiest code found however late it comes.
#include "core/check/FileStatistics.h"

#include "CheckTranscript.h"
#include "ClaimFileBuilder.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "core/check/FileCheck.h"
#include "core/check/StatisticsGatherer.h"
#include "core/report/SummaryReport.h"

#include <QDir>
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
    std::vector<FileStatistics::Batch> batches; // every batch, as handed on
};

// Keeps every batch the check hands on.
struct EveryBatch : FileStatistics::BatchSink {
    std::vector<FileStatistics::Batch> batches;
    void batch(const FileStatistics::Batch& batch) override { batches.push_back(batch); }
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
    //   SMITH: P1 (two lines: 2024-01-15 and the earlier 2024-01-10), P2 (a
    //   date that is not on the calendar);
    //   GENERAL CLINIC: P3, P4 (a date that is none), P5 (no XA0);
    //   SMITH again: P6.
    ClaimFileBuilder knownFile() {
        ClaimFileBuilder file;
        file.add(r.fileHeader("QMTESTSUB01", "00301"));
        const std::map<std::string, std::string> smith{
            {"02.0", "PROV1"}, {"06.0", "111111111"}, {"19.0", "SMITH"}, {"20.0", "JOHN"}};
        file.add(r.record("BA0", smith));
        addClaim(file, "P1", {{"20240115", "99213", 5000}, {"20240110", "99214", 7500}});
        addClaim(file, "P2", {{"20000230", "99213", 5000}});
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

    // limit: procedure codes and providers counted one by one (0: as many as usual).
    Checked check(const std::string& file, int jobs, std::int64_t chunkBytes, std::size_t limit = 0,
                  const std::string& mapsDir = MAPS_DIR) {
        Checked checked;
        const CheckTranscript::Opened opened = CheckTranscript::open(file, mapsDir);
        if (!opened.file)
            return checked;
        CheckTranscript transcript(opened.layouts);
        FileCheck::Options options;
        options.jobs = jobs;
        options.chunkBytes = chunkBytes;
        EveryBatch batches;
        checked.summary = StatisticsGatherer::check(
            *opened.file, opened.layouts, options, transcript, checked.statistics, &batches,
            limit ? limit : FileStatistics::kCountedOneByOne);
        checked.json = toJson(checked.statistics);
        checked.batches = std::move(batches.batches);
        return checked;
    }

    // The same figures however the file is split among workers.
    Checked checkEveryWay(const std::string& file, std::size_t limit = 0) {
        const Checked first = check(file, 1, std::int64_t(8) << 20, limit);
        for (const auto& [jobs, chunk] : {std::pair<int, std::int64_t>{3, 997}, {2, 5000}}) {
            const Checked other = check(file, jobs, chunk, limit);
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
            {"claim charges", {s.money.charges.cents(), 1297500}},
            {"line charges", {s.money.lineCharges.cents(), 1299500}},
            {"claims without XA0", {s.money.claimsWithoutXa0, 1}},
            {"claims without date", {s.claimsWithoutDate, 2}},
            {"claims without charges", {s.claimsWithoutCharges, 1}},
            {"no XA0 problems", {s.problemsByKind[std::size_t(Problem::Kind::NoXa0)], 1}},
            {"problems as the check counts them", {s.problems, c.summary.problems}},
            {"claims as the check counts them", {s.claims, c.summary.claims}},
            {"procedure codes", {s.procedureCodes, 4}},
            {"more codes", {s.moreProcedureCodes, false}},
            {"approximate", {s.topProceduresApproximate, false}},
        };
        for (const auto& [name, values] : figures)
            QVERIFY2(values.first == values.second, qPrintable(QStringLiteral("%1: %2, not %3")
                                                                   .arg(QLatin1String(name))
                                                                   .arg(values.first)
                                                                   .arg(values.second)));

        // claims, service lines, records, claim and line charges, claims without XA0
        using Figures = std::array<long long, 6>;
        const std::vector<Figures> batches{{2, 3, 9, 17500, 17500, 0},
                                           {3, 3, 10, 1030000, 1032000, 1},
                                           {1, 1, 5, 250000, 250000, 0}};
        QCOMPARE(s.perBatch.size(), batches.size());
        QCOMPARE(c.batches.size(), batches.size());
        long long batchProblems = 0;
        for (std::size_t i = 0; i < batches.size(); ++i) {
            const FileStatistics::Batch& b = s.perBatch[i];
            QCOMPARE(b.index, std::int64_t(i));
            QCOMPARE((Figures{b.claims, b.serviceLines, b.records, b.money.charges.cents(),
                              b.money.lineCharges.cents(), b.money.claimsWithoutXa0}),
                     batches[i]);
            QCOMPARE(c.batches[i].problems, b.problems);
            batchProblems += b.problems;
        }
        QCOMPARE(batchProblems + c.summary.fileProblems, s.problems);
        QVERIFY(s.perBatch[1].problems >= 1); // P5 has no XA0

        // batches, claims, claim and line charges, claims without XA0, first batch
        QCOMPARE(s.providers.size(), std::size_t(2));
        auto provider = [](const FileStatistics::Provider& p) {
            return Figures{p.batches,
                           p.claims,
                           p.money.charges.cents(),
                           p.money.lineCharges.cents(),
                           p.money.claimsWithoutXa0,
                           p.firstPosition};
        };
        QVERIFY(QByteArray::fromStdString(s.providers[0].text).contains("GENERAL CLINIC"));
        QCOMPARE(provider(s.providers[0]),
                 (Figures{1, 3, 1030000, 1032000, 1, s.perBatch[1].position}));
        QVERIFY(QByteArray::fromStdString(s.providers[1].text).contains("SMITH"));
        QCOMPARE(provider(s.providers[1]),
                 (Figures{2, 3, 267500, 267500, 0, s.perBatch[0].position}));
        QCOMPARE(s.otherProviders.batches, 0);

        QStringList months;
        for (const FileStatistics::Month& m : s.months)
            months << QStringLiteral("%1:%2")
                          .arg(QString::fromStdString(SummaryReport::monthLabel(m)))
                          .arg(m.claims);
        QCOMPARE(months, QStringLiteral("2023-12:1 2024-01:2 2024-02:1").split(QLatin1Char(' ')));

        QCOMPARE(s.chargeBins, (std::array<std::int64_t, FileStatistics::kChargeBins>{1, 1, 1, 0, 0,
                                                                                      1, 0, 1, 0}));

        auto codes = [](const std::vector<FileStatistics::Procedure>& list) {
            QStringList out;
            for (const FileStatistics::Procedure& p : list)
                out << QStringLiteral("%1:%2:%3")
                           .arg(QString::fromStdString(p.code))
                           .arg(p.serviceLines)
                           .arg(p.charges.cents());
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
        QCOMPARE(s.money.claimsWithoutXa0, c.summary.withoutXa0);

        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        std::size_t batch = 0;
        for (const QByteArray& line : in.readAll().split('\n')) {
            if (line.startsWith("YA0")) {
                QVERIFY(batch < s.perBatch.size());
                const FileStatistics::Batch& b = s.perBatch[batch++];
                QCOMPARE(b.claims, field(line, "YA0", "10.0"));
                QCOMPARE(b.serviceLines, field(line, "YA0", "08.0"));
                // The lines' charges are the trailer's, whatever the claims state.
                QCOMPARE(b.money.lineCharges.cents(), field(line, "YA0", "11.0"));
                if (!faults) // a claim without XA0 states no charges
                    QCOMPARE(b.money.charges.cents(), field(line, "YA0", "11.0"));
            } else if (line.startsWith("ZA0")) {
                QCOMPARE(s.serviceLines, field(line, "ZA0", "05.0"));
                QCOMPARE(s.claims, field(line, "ZA0", "07.0"));
                QCOMPARE(s.batches, field(line, "ZA0", "08.0"));
                QCOMPARE(s.money.lineCharges.cents(), field(line, "ZA0", "09.0"));
            }
        }
        QCOMPARE(batch, s.perBatch.size());
    }

    // A batch ends where the check ends it: at its YA0, the next BA0 or the
    // file's first ZA0, never at a later ZA0. Tokens: B a BA0, C a claim of
    // one line, Y a YA0, Z a ZA0; per batch "claims:records".
    void batchesEndWhereTheCheckEndsThem_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("batches");
        QTest::newRow("no YA0 before the ZA0")
            << QStringLiteral("B C Z C") << QStringLiteral("1:4");
        QTest::newRow("a ZA0 after the first")
            << QStringLiteral("Z B C Z C Y") << QStringLiteral("2:9");
        QTest::newRow("YA0, then ZA0") << QStringLiteral("B C Y Z C") << QStringLiteral("1:5");
        QTest::newRow("the next BA0") << QStringLiteral("B C B C Y Z") << QStringLiteral("1:4 1:5");
    }

    void batchesEndWhereTheCheckEndsThem() {
        QFETCH(QString, lines);
        QFETCH(QString, batches);
        ClaimFileBuilder file;
        file.add(r.fileHeader("QMTESTSUB01", "00301"));
        int claims = 0;
        for (const QString& token : lines.split(QLatin1Char(' '))) {
            if (token == QLatin1String("C"))
                addClaim(file, "P" + std::to_string(++claims), {{"20240115", "99213", 1000}});
            else if (token == QLatin1String("B"))
                file.add(r.record("BA0", {{"02.0", "PROV1"}, {"18.0", "CLINIC"}}));
            else
                file.add(r.record(token == QLatin1String("Y") ? "YA0" : "ZA0"));
        }
        file.write(QString::fromStdString(path("ends.nsf")));
        const Checked c = checkEveryWay(path("ends.nsf"));
        QStringList found;
        for (const FileStatistics::Batch& b : c.batches)
            found << QStringLiteral("%1:%2").arg(b.claims).arg(b.records);
        QCOMPARE(found.join(QLatin1Char(' ')), batches);
        QCOMPARE(c.statistics.claims, claims);
    }

    // A map whose money fields are 20 digits wide: sums past 64 bits, and a
    // value past them, are too large to add up, never a wrapped figure.
    void sumsPastTheirRangeAreTooLargeToAddUp() {
        QFile shipped(QStringLiteral(MAPS_DIR "/nsf0301.map"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QByteArray map = shipped.readAll();
        map.replace("FA0,13.0,\"Line Charges\",7,NR,71,77",
                    "FA0,13.0,\"Line Charges\",20,NR,71,90");
        map.replace("XA0,12.0,\"Total Claim Charges\",7,N,78,84",
                    "XA0,12.0,\"Total Claim Charges\",20,N,78,97");
        const QString maps = dir.filePath(QStringLiteral("wide"));
        QDir().mkpath(maps);
        QFile wide(maps + QStringLiteral("/nsf0301.map"));
        QVERIFY(wide.open(QIODevice::WriteOnly) && wide.write(map) == map.size());
        wide.close();
        const NsfRecords w(maps.toStdString(), "nsf0301.map");
        ClaimFileBuilder file;
        file.add(w.fileHeader("QMTESTSUB01", "00301"));
        const std::vector<std::pair<const char*, const char*>> claims{
            {"9000000000000000000", "9000000000000000000"},
            {"9000000000000000000", "9000000000000000000"},
            {"99999999999999999999", "100"}}; // FA0 13.0, XA0 12.0
        for (std::size_t i = 0; i < claims.size(); ++i) {
            if (i != 1)
                file.add(w.record("BA0", {{"02.0", "PROV" + std::to_string(i)}}));
            file.add(w.record("CA0", {{"03.0", "P" + std::to_string(i)}}));
            file.add(w.record("FA0", {{"05.0", "20240115"}, {"13.0", claims[i].first}}));
            file.add(w.record("XA0", {{"12.0", claims[i].second}}));
            if (i != 0)
                file.add(w.record("YA0"));
        }
        file.add(w.record("ZA0"));
        file.write(QString::fromStdString(path("wide.nsf")));
        const Checked c = check(path("wide.nsf"), 1, std::int64_t(8) << 20, 0, maps.toStdString());
        const FileStatistics& s = c.statistics;
        QCOMPARE(s.perBatch.size(), std::size_t(2));
        QVERIFY(s.money.charges.tooLarge() && s.money.lineCharges.tooLarge());
        QVERIFY(s.perBatch[0].money.charges.tooLarge() &&
                s.perBatch[0].money.lineCharges.tooLarge());
        QVERIFY(!s.perBatch[1].money.charges.tooLarge() &&
                s.perBatch[1].money.lineCharges.tooLarge());
        QCOMPARE(s.perBatch[1].money.charges.cents(), 100);
        QVERIFY(s.providers.front().money.charges.tooLarge()); // it ranks first
        QCOMPARE(s.chargeBins.front() + s.chargeBins.back(), 3);
        QVERIFY(c.json.find("\"total_charges\": null") != std::string::npos);
        std::ostringstream text;
        SummaryReport::write(text, s, false);
        QVERIFY(text.str().find("Claim charges       too large to add up") != std::string::npos);

        // Whatever the order the amounts come in (the chunks of several workers).
        for (const std::int64_t most : {INT64_MAX - 30, INT64_MAX}) {
            FileStatistics::Sum one, other;
            for (const std::int64_t cents : {most, std::int64_t(20), INT64_MIN})
                one.add(cents);
            for (const std::int64_t cents : {INT64_MIN, std::int64_t(20), most})
                other.add(cents);
            QVERIFY(one == other);
            QCOMPARE(one.tooLarge(), most == INT64_MAX);
            if (!one.tooLarge())
                QCOMPARE(one.cents(), -11);
        }
    }

    // More batches than are kept, each of its own provider: every batch is
    // handed on, the 30 with the most charges are kept, and providers past
    // the limit are counted together.
    void manyBatchesAreHandedOnAndFewKept() {
        ClaimFileBuilder file;
        file.add(r.fileHeader("QMTESTSUB01", "00301"));
        const int count = int(FileStatistics::kBatchesKept) + 10;
        auto charges = [count](int i) {
            return (i * 17 % count + 1) * 1000;
        };
        for (int i = 0; i < count; ++i) {
            file.add(r.record("BA0", {{"02.0", "PROV" + std::to_string(i)},
                                      {"18.0", "CLINIC " + std::to_string(i)}}));
            addClaim(file, "P" + std::to_string(i), {{"20240115", "99213", charges(i)}});
            file.add(r.record("YA0"));
        }
        file.add(r.record("ZA0"));
        file.write(QString::fromStdString(path("many.nsf")));
        const std::size_t limit = 5;
        const Checked c = checkEveryWay(path("many.nsf"), limit);
        const FileStatistics& s = c.statistics;
        QCOMPARE(c.batches.size(), std::size_t(count));
        std::vector<std::int64_t> kept;
        for (int i = 0; i < count; ++i) {
            QCOMPARE(c.batches[std::size_t(i)].index, i);
            QCOMPARE(c.batches[std::size_t(i)].money.charges.cents(), charges(i));
            if (charges(i) > (count - int(FileStatistics::kBatchesKept)) * 1000)
                kept.push_back(i);
        }
        std::vector<std::int64_t> perBatch;
        for (const FileStatistics::Batch& b : s.perBatch)
            perBatch.push_back(b.index);
        QCOMPARE(perBatch, kept);

        QCOMPARE(s.providers.size(), limit);
        QCOMPARE(s.otherProviders.batches, count - std::int64_t(limit));
        QCOMPARE(s.otherProviders.claims, count - std::int64_t(limit));
        std::int64_t others = 0;
        for (int i = int(limit); i < count; ++i)
            others += charges(i);
        QCOMPARE(s.otherProviders.money.charges.cents(), others);
    }

    // More procedure codes than are counted one by one, the busiest coming
    // after all the others: found, with exact figures, and the lists said to
    // be approximate only when they could miss a code.
    void procedureCodesPastTheLimit() {
        const std::size_t limit = 12;
        auto write = [&](const char* name, const std::vector<std::pair<std::string, int>>& codes) {
            std::vector<Line> lines;
            for (const auto& [code, n] : codes)
                for (int i = 0; i < n; ++i)
                    lines.push_back({"20240115", nullptr, 100});
            ClaimFileBuilder file;
            file.add(r.fileHeader("QMTESTSUB01", "00301"));
            file.add(r.record("BA0", {{"02.0", "PROV1"}}));
            std::vector<std::string> names;
            for (const auto& [code, n] : codes)
                names.insert(names.end(), std::size_t(n), code);
            for (std::size_t at = 0; at < lines.size(); at += 20) {
                std::vector<Line> claim(lines.begin() + std::ptrdiff_t(at),
                                        lines.begin() +
                                            std::ptrdiff_t(std::min(at + 20, lines.size())));
                for (std::size_t i = 0; i < claim.size(); ++i)
                    claim[i].code = names[at + i].c_str();
                addClaim(file, "P" + std::to_string(at), claim);
            }
            file.add(r.record("YA0"));
            file.add(r.record("ZA0"));
            file.write(QString::fromStdString(path(name)));
        };
        std::vector<std::pair<std::string, int>> codes;
        for (int i = 1; i <= 40; ++i)
            codes.emplace_back("F" + std::to_string(100 + i), 1);
        std::vector<std::pair<std::string, int>> flat = codes;
        for (int i = 0; i < 10; ++i)
            codes.emplace_back("B" + std::to_string(10 + i), 100 + i);
        write("codes.nsf", codes);
        write("flat.nsf", flat);

        const FileStatistics s = checkEveryWay(path("codes.nsf"), limit).statistics;
        QVERIFY(s.moreProcedureCodes && !s.topProceduresApproximate);
        QCOMPARE(s.procedureCodes, std::int64_t(limit));
        QStringList top;
        for (const FileStatistics::Procedure& p : s.topByLines)
            top << QStringLiteral("%1:%2:%3")
                       .arg(QString::fromStdString(p.code))
                       .arg(p.serviceLines)
                       .arg(p.charges.cents());
        QCOMPARE(top.first(), QStringLiteral("B19:109:10900"));
        QCOMPARE(top.last(), QStringLiteral("B10:100:10000"));
        QCOMPARE(s.topByCharges.front().code, std::string("B19"));

        const Checked f = check(path("flat.nsf"), 1, std::int64_t(8) << 20, limit);
        QVERIFY(f.statistics.moreProcedureCodes && f.statistics.topProceduresApproximate);
        std::ostringstream text;
        SummaryReport::write(text, f.statistics, false);
        QVERIFY(text.str().find("by service lines (approximate)") != std::string::npos);
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

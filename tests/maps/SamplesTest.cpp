// The committed samples and nsfgen's output, read independently of the claim
// assembly code: record by record at the map's columns. The samples must hold
// what samples/README.md promises, or the manual checks built on them mislead.
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/VersionDetector.h"
#include "core/openfile/ClaimFileOpener.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace qm;

namespace {

// Keys of samples/sample301.nsf as samples/README.md lists them.
constexpr std::int64_t kBatchWithBa1 = 323;
constexpr std::int64_t kBatchWithoutBa1 = 11915;
constexpr std::int64_t kWrongTotalsClaim = 4831;
constexpr std::int64_t kNoXa0Claim = 16101;

struct Line {
    std::int64_t position; // 1-based byte offset
    std::string text;      // without CR LF
};

struct ClaimReport {
    std::int64_t position = 0;
    bool hasXa0 = false;
    std::set<std::string> mismatched; // XA0 fields that disagree with the claim
    int serviceLines = 0;
    int fb0Lines = 0;
};

struct BatchReport {
    std::int64_t position = 0;
    bool hasBa1 = false;
    std::vector<ClaimReport> claims;
    bool trailerOk = false;
};

struct FileReport {
    std::vector<BatchReport> batches;
    bool trailerOk = false;
    std::vector<std::string> problems; // anything that is not well formed
};

std::shared_ptr<const LayoutCatalogue> loadMap(const std::string& version) {
    std::shared_ptr<const LayoutCatalogue> m;
    RecordingMessageSink sink;
    if (!LoadMapFile({MAPS_DIR}, version == "00200" ? "nsf0200.map" : "nsf0301.map", sink, m))
        return nullptr;
    return m;
}

// Every line must be a 320-character record ended by CR LF.
std::vector<Line> readRecords(const std::string& path, std::vector<std::string>& problems) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            problems.push_back("bytes after the last CR LF at " + std::to_string(at + 1));
            break;
        }
        if (end - at != 320)
            problems.push_back("line at " + std::to_string(at + 1) + " is not 320 characters");
        lines.push_back({static_cast<std::int64_t>(at + 1), bytes.substr(at, end - at)});
        at = end + 2;
    }
    return lines;
}

std::string value(const LayoutCatalogue& m, const std::string& line, const char* type,
                  const char* id) {
    const RecordLayout* layout = m.find(type);
    const int index = layout->indexOf(id);
    if (index < 0)
        return {};
    const FieldDef& f = layout->field(index);
    return line.substr(static_cast<std::size_t>(f.StartPos - 1),
                       static_cast<std::size_t>(f.Length));
}

std::int64_t number(const LayoutCatalogue& m, const std::string& line, const char* type,
                    const char* id) {
    const std::string v = value(m, line, type, id);
    return v.find_first_not_of(' ') == std::string::npos ? 0 : std::stoll(v);
}

// Every value must pass the check of its type letters.
void checkValues(const RecordLayout& layout, const Line& l, FileReport& report) {
    const std::string type = l.text.substr(0, 3);
    for (int i = 1; i <= layout.fieldCount(); ++i) {
        const FieldDef& f = layout.field(i - 1);
        const std::string v = l.text.substr(static_cast<std::size_t>(f.StartPos - 1),
                                            static_cast<std::size_t>(f.Length));
        if (!IsValidFieldValue(f.TypeCodes, v))
            report.problems.push_back(type + " " + f.FieldId + " at " + std::to_string(l.position) +
                                      " holds '" + v + "'");
    }
}

// A claim's XA0 against the records counted and the amounts summed: the
// fields that differ go into the claim's mismatched.
void checkXa0(const LayoutCatalogue& m, const Line& l, const std::int64_t (&counts)[6],
              std::map<std::string, std::int64_t>& sums, ClaimReport& claim) {
    claim.hasXa0 = true;
    std::int64_t records = 0;
    const char* countIds[] = {"04.0", "05.0", "06.0", "07.0", "08.0", "09.0"};
    for (int k = 0; k < 6; ++k) {
        records += counts[k];
        if (number(m, l.text, "XA0", countIds[k]) != counts[k])
            claim.mismatched.insert(countIds[k]);
    }
    const std::pair<const char*, std::int64_t> amounts[] = {
        {"10.0", records},          {"12.0", sums["FA0 13.0"]}, {"13.0", sums["FA0 27.0"]},
        {"14.0", sums["FA0 28.0"]}, {"15.0", sums["FB0 06.0"]}, {"16.0", sums["FB0 07.0"]},
        {"17.0", sums["FB0 08.0"]}, {"18.0", sums["DA1 14.0"]}, {"20.0", sums["FB0 05.0"]}};
    for (const auto& [id, expected] : amounts)
        if (number(m, l.text, "XA0", id) != expected)
            claim.mismatched.insert(id);
}

// The amounts a claim's XA0 sums, by record type and field ("FA0 13.0").
void addToSums(const LayoutCatalogue& m, const Line& l, const std::string& type,
               std::map<std::string, std::int64_t>& sums) {
    for (const char* id : {"13.0", "27.0", "28.0"})
        if (type == "FA0")
            sums[type + " " + id] += number(m, l.text, "FA0", id);
    for (const char* id : {"05.0", "06.0", "07.0", "08.0"})
        if (type == "FB0")
            sums[type + " " + id] += number(m, l.text, "FB0", id);
    if (type == "DA1")
        sums["DA1 14.0"] += number(m, l.text, "DA1", "14.0");
}

FileReport analyse(const LayoutCatalogue& m, const std::vector<Line>& lines) {
    FileReport report;
    std::map<std::string, std::int64_t> sums; // name -> running claim sum
    std::int64_t counts[6] = {};
    std::int64_t batchLines = 0, batchRecords = 0, batchCharges = 0;
    std::int64_t fileLines = 0, fileRecords = 0, fileCharges = 0, fileClaims = 0;
    ClaimReport* claim = nullptr;

    auto closeClaim = [&] {
        if (claim)
            batchRecords += std::accumulate(std::begin(counts), std::end(counts), std::int64_t(0));
        claim = nullptr;
    };

    for (const Line& l : lines) {
        const std::string type = l.text.substr(0, 3);
        const RecordLayout* layout = m.find(type);
        if (!layout || layout->fieldCount() == 0) {
            report.problems.push_back("unknown record type " + type);
            continue;
        }
        checkValues(*layout, l, report);
        if (type == "BA0" || type == "YA0" || type == "ZA0" || type == "CA0")
            closeClaim();
        if (type == "AA0") {
            continue;
        } else if (type == "BA0") {
            report.batches.push_back({l.position, false, {}, false});
            batchLines = batchRecords = batchCharges = 0;
        } else if (type == "BA1") {
            if (report.batches.empty() || !report.batches.back().claims.empty())
                report.problems.push_back("BA1 not right after its BA0");
            else
                report.batches.back().hasBa1 = true;
        } else if (type == "YA0") {
            BatchReport& b = report.batches.back();
            b.trailerOk = number(m, l.text, "YA0", "08.0") == batchLines &&
                          number(m, l.text, "YA0", "09.0") == batchRecords &&
                          number(m, l.text, "YA0", "10.0") == std::int64_t(b.claims.size()) &&
                          number(m, l.text, "YA0", "11.0") == batchCharges;
            fileLines += batchLines;
            fileRecords += batchRecords;
            fileCharges += batchCharges;
            fileClaims += std::int64_t(b.claims.size());
        } else if (type == "ZA0") {
            report.trailerOk =
                number(m, l.text, "ZA0", "05.0") == fileLines &&
                number(m, l.text, "ZA0", "06.0") == fileRecords &&
                number(m, l.text, "ZA0", "07.0") == fileClaims &&
                number(m, l.text, "ZA0", "08.0") == std::int64_t(report.batches.size()) &&
                number(m, l.text, "ZA0", "09.0") == fileCharges;
        } else if (type == "CA0") {
            report.batches.back().claims.push_back({l.position, false, {}, 0, 0});
            claim = &report.batches.back().claims.back();
            sums.clear();
            std::fill(std::begin(counts), std::end(counts), 0);
        }
        if (!claim)
            continue;
        if (type == "XA0") {
            checkXa0(m, l, counts, sums, *claim);
            closeClaim();
            continue;
        }
        if (type[0] >= 'C' && type[0] <= 'H')
            ++counts[type[0] - 'C'];
        addToSums(m, l, type, sums);
        if (type == "FA0") {
            ++claim->serviceLines;
            ++batchLines;
            batchCharges += number(m, l.text, "FA0", "13.0");
        }
        if (type == "FB0")
            ++claim->fb0Lines;
    }
    return report;
}

// Reads a claim file of this version and analyses it; reading problems come first.
FileReport analyseFile(const std::string& version, const std::string& path,
                       std::vector<Line>& lines) {
    auto m = loadMap(version);
    if (!m)
        return {{}, false, {"the map of version " + version + " did not load"}};
    std::vector<std::string> problems;
    lines = readRecords(path, problems);
    FileReport r = analyse(*m, lines);
    r.problems.insert(r.problems.begin(), problems.begin(), problems.end());
    return r;
}

std::vector<const ClaimReport*> allClaims(const FileReport& r) {
    std::vector<const ClaimReport*> claims;
    for (const BatchReport& b : r.batches)
        for (const ClaimReport& c : b.claims)
            claims.push_back(&c);
    return claims;
}

std::string joined(const std::vector<std::string>& problems) {
    std::string s;
    for (const std::string& p : problems)
        s += p + "\n";
    return s;
}

} // namespace

class SamplesTest : public QObject {
    Q_OBJECT

    static std::string sample(const char* name) { return std::string(SAMPLES_DIR) + "/" + name; }

    static bool generate(const QStringList& args, const QString& out) {
        QProcess p;
        p.start(QStringLiteral(NSFGEN),
                QStringList{QStringLiteral("--maps"), QStringLiteral(MAPS_DIR),
                            QStringLiteral("--out"), out} +
                    args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

private slots:
    void readableSampleHoldsWhatItsReadmeSays() {
        std::vector<Line> lines;
        const FileReport r = analyseFile("00301", sample("sample301.nsf"), lines);
        QVERIFY2(r.problems.empty(), joined(r.problems).c_str());
        QVERIFY(!lines.empty());
        QCOMPARE(lines.front().text.substr(243, 10), std::string("0030100301"));

        QCOMPARE(r.batches.size(), std::size_t(2));
        QCOMPARE(r.batches[0].position, kBatchWithBa1);
        QVERIFY(r.batches[0].hasBa1);
        QCOMPARE(r.batches[1].position, kBatchWithoutBa1);
        QVERIFY(!r.batches[1].hasBa1);
        QVERIFY(r.batches[0].trailerOk && r.batches[1].trailerOk && r.trailerOk);

        const auto claims = allClaims(r);
        QCOMPARE(claims.size(), std::size_t(6));
        int multiLine = 0, withFb0 = 0;
        for (const ClaimReport* c : claims) {
            multiLine += c->serviceLines >= 2;
            withFb0 += c->fb0Lines > 0;
            if (c->position == kWrongTotalsClaim) {
                QVERIFY(c->hasXa0);
                QCOMPARE(c->mismatched, std::set<std::string>{"12.0"});
            } else if (c->position == kNoXa0Claim) {
                QVERIFY(!c->hasXa0);
            } else {
                QVERIFY2(c->hasXa0 && c->mismatched.empty(), std::to_string(c->position).c_str());
            }
        }
        QVERIFY(multiLine >= 3);
        QVERIFY(withFb0 >= 4);
    }

    void version200SampleIsCorrectThroughout() {
        std::vector<Line> lines;
        const FileReport r = analyseFile("00200", sample("sample200.nsf"), lines);
        QVERIFY2(r.problems.empty(), joined(r.problems).c_str());
        QVERIFY(!lines.empty());
        QCOMPARE(lines.front().text.substr(243, 10), std::string("0020000200"));
        QVERIFY(r.trailerOk);
        for (const BatchReport& b : r.batches)
            QVERIFY(b.trailerOk);
        for (const ClaimReport* c : allClaims(r))
            QVERIFY(c->hasXa0 && c->mismatched.empty());
        for (const Line& l : lines)
            QVERIFY2(l.text.compare(0, 3, "EA1") != 0, "version 2.00 has no EA1 record");
    }

    void notAClaimHasNoFileHeader() {
        SequentialFile file;
        QVERIFY(file.open(sample("not-a-claim.txt")));
        std::shared_ptr<const LayoutCatalogue> layouts = std::make_shared<LayoutCatalogue>();
        RecordingMessageSink sink;
        const VersionDetection detection = DetectFileVersion(file, {MAPS_DIR}, sink, layouts);
        QVERIFY(detection.result == VersionDetection::Result::NoHeader);
        QVERIFY(detection.code.empty());
    }

    // Random claims of both versions, with one wrong and one unfinished claim
    // asked for: every other claim and every trailer must still add up.
    void generatedFilesAddUp_data() {
        QTest::addColumn<QString>("version");
        QTest::newRow("3.01") << QStringLiteral("00301");
        QTest::newRow("2.00") << QStringLiteral("00200");
    }
    void generatedFilesAddUp() {
        QFETCH(QString, version);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("gen.nsf"));
        QVERIFY(generate({QStringLiteral("--version"), version, QStringLiteral("--seed"),
                          QStringLiteral("9"), QStringLiteral("--claims"), QStringLiteral("400"),
                          QStringLiteral("--batches"), QStringLiteral("3"),
                          QStringLiteral("--wrong-totals"), QStringLiteral("7"),
                          QStringLiteral("--no-xa0"), QStringLiteral("8")},
                         out));
        std::vector<Line> lines;
        const FileReport r = analyseFile(version.toStdString(), out.toStdString(), lines);
        QVERIFY2(r.problems.empty(), joined(r.problems).c_str());
        QVERIFY(!lines.empty());
        QCOMPARE(r.batches.size(), std::size_t(3));
        QVERIFY(r.trailerOk);
        const auto claims = allClaims(r);
        QCOMPARE(claims.size(), std::size_t(400));
        std::set<std::string> seen; // record types the random mix produced
        for (const Line& l : lines)
            seen.insert(l.text.substr(0, 3));
        for (std::size_t i = 0; i < claims.size(); ++i) {
            const ClaimReport* c = claims[i];
            if (i == 6)
                QCOMPARE(c->mismatched, std::set<std::string>{"12.0"});
            else if (i == 7)
                QVERIFY(!c->hasXa0);
            else
                QVERIFY2(c->hasXa0 && c->mismatched.empty(), std::to_string(c->position).c_str());
        }
        for (const char* t : {"CA1", "DA2", "FB0", "GC0", "HA0"})
            QVERIFY2(seen.count(t), t);
    }

    // The shape of the ten-million-claim benchmark file: claims of their CA0
    // line alone, whose trailers still add up.
    void bareClaimsAreTheirHeaderAlone() {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("bare.nsf"));
        QVERIFY(generate({QStringLiteral("--version"), QStringLiteral("00301"),
                          QStringLiteral("--claims"), QStringLiteral("1000"),
                          QStringLiteral("--batches"), QStringLiteral("4"),
                          QStringLiteral("--bare-claims")},
                         out));
        std::vector<Line> lines;
        const FileReport r = analyseFile("00301", out.toStdString(), lines);
        QVERIFY2(r.problems.empty(), joined(r.problems).c_str());
        QCOMPARE(r.batches.size(), std::size_t(4));
        QVERIFY(r.trailerOk);
        QCOMPARE(allClaims(r).size(), std::size_t(1000));
        const std::set<std::string> headerTypes{"AA0", "BA0", "BA1", "CA0", "YA0", "ZA0"};
        for (const Line& l : lines)
            QVERIFY2(headerTypes.count(l.text.substr(0, 3)), l.text.substr(0, 3).c_str());
    }

    void sizeTargetIsMet() {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("sized.nsf"));
        QVERIFY(generate({QStringLiteral("--version"), QStringLiteral("00301"),
                          QStringLiteral("--size"), QStringLiteral("2M")},
                         out));
        const qint64 size = QFileInfo(out).size();
        QVERIFY2(size >= 2 * 1024 * 1024 - 322 && size <= 2 * 1024 * 1024 + 4000,
                 QByteArray::number(size).constData());
    }

    // The program's own claim clicks see the samples as the README describes them.
    void claimClicksOnTheReadableSample() {
        RecordingMessageSink sink;
        const std::shared_ptr<OpenClaimFile> file =
            ClaimFileOpener::open(sample("sample301.nsf"), {MAPS_DIR},
                                  std::make_shared<LayoutCatalogue>(), sink)
                .file;
        QVERIFY(file);
        file->setTree(std::make_shared<const FileTree>(BuildTree(file->reader())));
        const FileTree& tree = *file->tree();
        QCOMPARE(tree.BatchCount, std::int64_t(2));
        QCOMPARE(tree.ClaimCount, std::int64_t(6));

        auto hasNode = [](const AssembledClaim& r, const std::string& key) {
            return r.node(key) != nullptr;
        };
        for (std::int64_t node = 0; node < tree.size(); ++node) {
            const std::string key = tree.key(node);
            const AssembledClaim r = NodeClick(*file, node);
            QVERIFY(r.acted);
            if (tree.recordType(node) == "BA0")
                QCOMPARE(hasNode(r, "BA1"), tree.position(node) == kBatchWithBa1);
            if (tree.recordType(node) != "CA0")
                continue;
            QVERIFY2(r.totals.checked(), key.c_str());
            QVERIFY2(hasNode(r, "FA0-1") && hasNode(r, "YA0") && hasNode(r, "ZA0"), key.c_str());
            if (tree.position(node) == kNoXa0Claim) {
                QVERIFY(!hasNode(r, "XA0"));
                QCOMPARE(r.totals.state, TotalsState::NoTrailer);
            } else if (tree.position(node) == kWrongTotalsClaim) {
                QVERIFY(!r.totals.ok());
                QCOMPARE(r.totals.mismatched(), std::vector<std::string>{"12.0"});
            } else {
                QCOMPARE(r.totals.state, TotalsState::Ok);
            }
        }
    }
};

QTEST_GUILESS_MAIN(SamplesTest)
#include "SamplesTest.moc"

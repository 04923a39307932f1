// The whole-file check against clicking every claim one by one: the same
// verdict for every claim, field for field, with one job and several, on
// generated files with every fault the generator injects and on hostile files.
#include "core/check/FileCheck.h"

#include "GeneratedFiles.h"
#include "TestWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/HeaderIndex.h"
#include "core/filetree/TreeBuilder.h"
#include "core/openfile/ClaimFileOpener.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace qm;

namespace {

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

std::string describe(const ClaimVerdict& v) {
    std::string out = v.key() + " [" + v.text + "] " + totalsStateName(v.totals) +
                      (v.xa0Present ? " xa0" : "") + (v.unreadable ? " unreadable" : "");
    for (const TotalsComparison& c : v.mismatches)
        out += " !" + std::to_string(c.field) + "=" + c.stated + "/" + std::to_string(c.computed);
    for (const InvalidField& f : v.invalid)
        out += " " + f.node + "." + std::to_string(f.field) + "=" + f.value;
    return out;
}

std::vector<std::string> byClicks(OpenClaimFile& f) {
    f.setTree(std::make_shared<const FileTree>(BuildTree(f.reader())));
    const FileTree& tree = *f.tree();
    std::vector<std::string> verdicts;
    for (std::int64_t node = 0; node < tree.size(); ++node)
        if (tree.recordType(node) == "CA0")
            verdicts.push_back(describe(
                verdictOf(NodeClick(f, node), tree.position(node), std::string(tree.text(node)))));
    return verdicts;
}

std::vector<std::string> byCheck(OpenClaimFile& f, int jobs, std::int64_t chunkBytes,
                                 FileCheck::Summary* summary = nullptr,
                                 std::shared_ptr<const HeaderIndex> index = nullptr) {
    std::vector<std::string> verdicts;
    FileCheck::Options options;
    options.jobs = jobs;
    options.chunkBytes = chunkBytes;
    options.index = std::move(index);
    const FileCheck::Summary s = FileCheck::run(
        f.file(), f.layouts(), options, [&](ClaimVerdict&& v) { verdicts.push_back(describe(v)); });
    if (summary)
        *summary = s;
    return verdicts;
}

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

    // Opens the file with the real maps and compares the check with the clicks.
    void compare(const std::string& file) {
        const std::shared_ptr<OpenClaimFile> opened = TestWorkspace::openFile(file, {MAPS_DIR});
        if (!opened)
            return; // no claim file: nothing to check either way
        OpenClaimFile& f = *opened;
        const std::vector<std::string> clicks = byClicks(f);
        // Without the tree's index (a first reading finds the headers) and with it.
        const std::shared_ptr<const HeaderIndex> index = f.headerIndex();
        for (const auto& given : {std::shared_ptr<const HeaderIndex>(), index}) {
            for (int jobs : {1, 3}) {
                for (std::int64_t chunk : {std::int64_t(8) << 20, std::int64_t(997)}) {
                    const std::vector<std::string> checked =
                        byCheck(f, jobs, chunk, nullptr, given);
                    QCOMPARE(checked.size(), clicks.size());
                    for (std::size_t i = 0; i < clicks.size(); ++i)
                        QCOMPARE(QString::fromStdString(checked[i]),
                                 QString::fromStdString(clicks[i]));
                }
            }
        }
    }

private slots:
    void generatedFilesWithInjectedFaults_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("3.01 clean") << words("--version 00301 --claims 60 --batches 4 --seed 7");
        QTest::newRow("2.00 faults") << words("--version 00200 --claims 40 --batches 3 "
                                              "--wrong-totals 2 --wrong-totals 17 --no-xa0 3 "
                                              "--no-xa0 40 --seed 11");
        QTest::newRow("readable sample recipe") << words("--version 00301 --readable");
    }

    void generatedFilesWithInjectedFaults() {
        QFETCH(QStringList, arguments);
        write(QStringLiteral("g.nsf"), GeneratedFiles::generate(arguments));
        compare(path(QStringLiteral("g.nsf")));
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

    void cancelStopsTheCheck() {
        write(QStringLiteral("c.nsf"),
              GeneratedFiles::generate(words("--version 00301 --claims 300")));
        const std::shared_ptr<OpenClaimFile> f =
            TestWorkspace::openFile(path(QStringLiteral("c.nsf")), {MAPS_DIR});
        QVERIFY(f);
        FileCheck::Options options;
        options.chunkBytes = 4096;
        options.progress = [](std::int64_t, std::int64_t) {
            return false;
        };
        std::int64_t seen = 0;
        const FileCheck::Summary summary =
            FileCheck::run(f->file(), f->layouts(), options, [&](ClaimVerdict&&) { ++seen; });
        QVERIFY(summary.cancelled);
        QVERIFY(seen < 300);
    }
};

QTEST_GUILESS_MAIN(FileCheckTest)
#include "FileCheckTest.moc"

#include "core/claim/NodeClick.h"

#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/claim/ClaimLoop.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"

#include <QTest>
#include <set>
#include <unistd.h>

using namespace qm;
using B = ClaimFileBuilder;

namespace {

QString describe(const AssembledClaim& r) {
    std::string out = r.clickedType + ":";
    for (const ClaimNode& n : r.nodes)
        out += " " + n.key + (n.parent.empty() ? "" : "<" + n.parent);
    return QString::fromStdString(out);
}

// The raw line a node of the claim form shows, or "none".
std::string lineOf(const AssembledClaim& r, const char* key) {
    const AssembledRecord* record = r.record(key);
    return record ? record->line : std::string("none");
}

// Field slot `slot` (from 1) of the record a node shows.
std::string valueOf(const AssembledClaim& r, const char* key, int slot) {
    return std::string(r.record(key)->value(slot - 1));
}

std::int64_t computed(const AssembledClaim& r, const char* fieldId) {
    for (const TotalsComparison& c : r.totals.compared)
        if (c.fieldId == fieldId)
            return c.computed;
    return -1;
}

} // namespace

class NodeClickTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWorkspace> ws;
    const FileTree* tree_ = nullptr;
    const FileTree& tree() const { return *tree_; }

    void openAndBuild(const std::string& bytes) {
        ws = std::make_unique<TestWorkspace>();
        ws->write("c.nsf", bytes);
        QVERIFY(ws->open("c.nsf"));
        tree_ = &ws->buildTree();
    }

    AssembledClaim click(const std::string& key) {
        auto node = tree().findKey(key);
        if (!node)
            qFatal("no node %s", key.c_str());
        return NodeClick(*ws->file, *node);
    }

    // A file with two batches: the first with BA1 and two claims, the second without.
    static std::string twoBatches() {
        return B()
            .add(rec::aa0())                                                      // 1
            .add(rec::ba0("111"))                                                 // 323
            .add(rec::ba1())                                                      // 645
            .add(rec::ca0("CLAIM1"))                                              // 967
            .add(rec::da0(1))                                                     // 1289
            .add(rec::da1(1, 500))                                                // 1611
            .add(rec::ea0())                                                      // 1933
            .add(rec::fa0(1, 1000, 10, 20))                                       // 2255
            .add(rec::fb0(1, 1, 2, 3, 4))                                         // 2577
            .add(rec::fa0(2, 2000, 30, 40))                                       // 2899
            .add(rec::xa0({1, 2, 1, 3, 0, 0, -1, 3000, 40, 60, 2, 3, 4, 500, 1})) // 3221
            .add(rec::ca0("CLAIM2"))                                              // 3543
            .add(rec::fa0(1, 5))                                                  // 3865
            .add(rec::xa0({1, 0, 0, 1, 0, 0, -1, 5}))                             // 4187
            .add(rec::ya0())                                                      // 4509
            .add(rec::ba0("222"))                                                 // 4831
            .add(rec::ca0("CLAIM3"))                                              // 5153
            .add(rec::xa0({1}))                                                   // 5475
            .add(rec::ya0())                                                      // 5797
            .add(rec::za0())                                                      // 6119
            .bytes();
    }

private slots:
    // The node every record type of a claim hangs under; the rest are no part of one.
    void claimRecordTypesAndTheirParents() {
        const std::set<std::string> underBatch{"CA0", "CA1", "CB0"};
        const std::set<std::string> notInAClaim{"AA0", "BA0", "BA1", "YA0", "ZA0"};
        for (const std::string_view type : kRecordTypes) {
            const std::string t(type);
            const char* parent = ClaimLoop::parentOf(type);
            if (notInAClaim.count(t))
                QVERIFY2(!parent, t.c_str());
            else
                QCOMPARE(parent, underBatch.count(t) ? "BA0" : "CA0");
        }
        QVERIFY(!ClaimLoop::parentOf("GZ9"));
        QVERIFY(!ClaimLoop::parentOf("da2"));
    }

    void fileHeaderAndBatchViews() {
        openAndBuild(twoBatches());
        const AssembledClaim header = click("AA01");
        QCOMPARE(describe(header), QStringLiteral("AA0: AA0"));
        QCOMPARE(valueOf(header, "AA0", 2), std::string("SUBMITTER01     "));
        QVERIFY(!header.totals.checked());
        const AssembledClaim batch = click("BA0323");
        QCOMPARE(describe(batch), QStringLiteral("BA0: AA0 BA0<AA0 BA1<AA0"));
        QCOMPARE(valueOf(batch, "BA1", 1), std::string("BA1"));
        // No BA1 after the second batch header (a CA0 is there).
        QCOMPARE(describe(click("BA04831")), QStringLiteral("BA0: AA0 BA0<AA0"));
    }

    // Opening a problem of a batch or of the file reads the trailer it is
    // about below the node (a line there that is no such trailer could not
    // be read); on a claim it is the click alone.
    void trailerOfABatchOrTheFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("trailer");
        QTest::addColumn<QString>("nodes"); // empty: as a click shows them
        QTest::addColumn<bool>("read");
        QTest::newRow("batch") << QStringLiteral("BA0323") << qint64(4509)
                               << QStringLiteral("BA0: AA0 BA0<AA0 BA1<AA0 YA0<BA0") << true;
        QTest::newRow("file") << QStringLiteral("AA01") << qint64(6119)
                              << QStringLiteral("AA0: AA0 ZA0<AA0") << true;
        QTest::newRow("no YA0 there") << QStringLiteral("BA04831") << qint64(5153)
                                      << QStringLiteral("BA0: AA0 BA0<AA0 YA0<BA0") << false;
        QTest::newRow("a claim") << QStringLiteral("CA03543") << qint64(4509) << QString() << false;
    }

    void trailerOfABatchOrTheFile() {
        QFETCH(QString, key);
        QFETCH(qint64, trailer);
        QFETCH(QString, nodes);
        QFETCH(bool, read);
        openAndBuild(twoBatches());
        const AssembledClaim r = NodeClick(*ws->file, *tree().findKey(key.toStdString()), trailer);
        if (nodes.isEmpty()) {
            QCOMPARE(describe(r), describe(click(key.toStdString())));
            return;
        }
        QCOMPARE(describe(r), nodes);
        const std::string type = r.nodes.back().key;
        const AssembledRecord* record = r.record(type);
        QVERIFY(record);
        QCOMPARE(record->read, read);
        if (read)
            QCOMPARE(record->line.substr(0, 3), type);
    }

    void claimView() {
        openAndBuild(twoBatches());
        AssembledClaim r = click("CA0967");
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0 BA1<BA0 CA0<BA0 DA0-1<CA0 DA1-1<CA0 "
                                             "EA0<CA0 FA0-1<CA0 FB0-1<CA0 FA0-2<CA0 XA0<CA0 "
                                             "YA0<BA0 ZA0<AA0"));
        QCOMPARE(r.totals.state, TotalsState::Ok);
        QVERIFY(!r.unreadable);
        QCOMPARE(lineOf(r, "FA0-1"), rec::fa0(1, 1000, 10, 20));
        QCOMPARE(lineOf(r, "FA0-2"), rec::fa0(2, 2000, 30, 40));
        QCOMPARE(r.record("FA0-2")->occurrence, 2);
        QCOMPARE(valueOf(r, "FA0-2", 3), std::string("0002000"));
        QVERIFY(r.record("FA0-2")->valid(2));
        // The batch trailer of the first batch, not the second.
        QCOMPARE(lineOf(r, "YA0"), rec::ya0());
        // The same click again gives the same tree and totals.
        AssembledClaim again = click("CA0967");
        QCOMPARE(describe(again), describe(r));
        QCOMPARE(computed(again, "07.0"), 3);
        QCOMPARE(computed(again, "12.0"), 3000);
        QVERIFY(again.totals.ok());

        // A claim of the second batch: no BA1 node there.
        QCOMPARE(describe(click("CA05153")),
                 QStringLiteral("CA0: AA0 BA0<AA0 CA0<BA0 XA0<CA0 YA0<BA0 ZA0<AA0"));
    }

    void claimWithoutTrailerAndShortLines() {
        openAndBuild(B().add(rec::aa0())
                         .add(rec::ba0())
                         .add(rec::ca0("NOXA0"))
                         .add(rec::fa0(1, 5).substr(0, 200)) // short: neither counted nor an end
                         .add("\n" + rec::fa0(1, 7).substr(0, 319))
                         .add(B::record("GZ9")) // not processed, still counted
                         .add(rec::ca0("NEXT"))
                         .add(rec::xa0({}))
                         .add(rec::ya0())
                         .add(rec::za0())
                         .bytes());
        AssembledClaim r = click("CA0645");
        // A line whose leading LF is dropped is no record when 319 characters remain.
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0 CA0<BA0 YA0<BA0 ZA0<AA0"));
        QCOMPARE(r.totals.state, TotalsState::NoTrailer);
        QCOMPARE(r.totals.counted.CountC, 2); // the next claim's CA0 counts once
        QCOMPARE(r.totals.counted.CountF, 0);
        QCOMPARE(r.totals.counted.CountG, 1);
        QCOMPARE(valueOf(r, "CA0", 2), std::string("NOXA0            "));
    }

    void claimFollowedDirectlyByFileTrailer() {
        openAndBuild(B().add(rec::aa0())
                         .add(rec::ba0())
                         .add(rec::ca0("A"))
                         .add(rec::za0())
                         .add(rec::ya0())
                         .add(rec::za0())
                         .bytes());
        QCOMPARE(describe(click("CA0645")),
                 QStringLiteral("CA0: AA0 BA0<AA0 CA0<BA0 YA0<BA0 ZA0<AA0"));
        openAndBuild(
            B().add(rec::aa0()).add(rec::ba0()).add(rec::ca0("A")).add(rec::za0()).bytes());
        QCOMPARE(describe(click("CA0645")), QStringLiteral("CA0: AA0 BA0<AA0 CA0<BA0"));
    }

    void repeatsDuplicatesAndTheNinetyNinthSlot() {
        B b;
        b.add(rec::aa0()).add(rec::ba0()).add(rec::ca0("MANY"));
        b.add(rec::ea0()).add(B::record("EA0", {{4, "SECOND"}}));
        for (int i = 1; i <= 101; ++i)
            b.add(rec::fa0(i % 100, 1));
        b.add(rec::xa0({}));
        openAndBuild(b.bytes());
        AssembledClaim r = click("CA0645");
        int fa0Nodes = 0;
        int ea0Nodes = 0;
        for (const ClaimNode& n : r.nodes) {
            fa0Nodes += n.key.rfind("FA0-", 0) == 0;
            ea0Nodes += n.key == "EA0";
        }
        QCOMPARE(fa0Nodes, 99);
        QCOMPARE(ea0Nodes, 1);
        QCOMPARE(r.nodes.back().key, std::string("XA0"));
        // A second record of a type that does not repeat shows in the first one's node.
        QCOMPARE(lineOf(r, "EA0"), B::record("EA0", {{4, "SECOND"}}));
        QCOMPARE(computed(r, "07.0"), 101);
        QCOMPARE(computed(r, "12.0"), 99); // records past the 99th are not stored or summed
    }

    void orphanNodesAndStaleBatchTrailerLine() {
        openAndBuild(
            B().add(rec::ba0()).add(rec::ca0("ORPHAN")).add(rec::ba1()).add(rec::aa0()).bytes());
        QCOMPARE(describe(click("BA01")), QStringLiteral("BA0: BA0"));
        QCOMPARE(describe(click("CA0323")), QStringLiteral("CA0: BA0 CA0<BA0"));
        // A batch header at the very end: nothing after it, so no BA1 even
        // right after a click that read one.
        openAndBuild(
            B().add(rec::aa0()).add(rec::ba0()).add(rec::ba1()).add(rec::ba0("LAST")).bytes());
        QCOMPARE(describe(click("BA0323")), QStringLiteral("BA0: AA0 BA0<AA0 BA1<AA0"));
        QCOMPARE(describe(click("BA0967")), QStringLiteral("BA0: AA0 BA0<AA0"));
    }

    void clickOnAFileWithoutTreeDoesNothing() {
        openAndBuild(twoBatches());
        ws->file->setTree(nullptr);
        const AssembledClaim r = NodeClick(*ws->file, 3);
        QVERIFY(!r.acted);
        QVERIFY(r.nodes.empty());
    }

    void trailerIndexMatchesSequentialScan_data() {
        QTest::addColumn<QString>("layout");
        // Letters: A file header, B batch, C claim, F service line, X claim
        // trailer, Y batch trailer, Z file trailer, s a short line.
        QTest::newRow("ordinary") << "ABCFXCFXYBCXYZ";
        QTest::newRow("trailers missing") << "ABCFXCFXBCX";
        QTest::newRow("doubled") << "ABCXYYBCXYZZ";
        QTest::newRow("out of order") << "ABCXZYBCXZY";
        QTest::newRow("trailers only in short lines") << "ABCXsBCXs";
        QTest::newRow("file trailer first") << "ZABCXYZ";
        QTest::newRow("claims without trailers") << "ABCCCYBCCZ";
    }

    void trailerIndexMatchesSequentialScan() {
        QFETCH(QString, layout);
        B b;
        for (QChar c : layout) {
            switch (c.toLatin1()) {
            case 'A':
                b.add(rec::aa0());
                break;
            case 'B':
                b.add(rec::ba0());
                break;
            case 'C':
                b.add(rec::ca0("C" + std::to_string(b.nextPosition())));
                break;
            case 'F':
                b.add(rec::fa0(1, b.nextPosition()));
                break;
            case 'X':
                b.add(rec::xa0({}));
                break;
            case 'Y':
                b.add(B::record("YA0", {{4, std::to_string(b.nextPosition())}}));
                break;
            case 'Z':
                b.add(B::record("ZA0", {{4, std::to_string(b.nextPosition())}}));
                break;
            case 's':
                b.add(rec::ya0().substr(0, 100));
                break;
            }
        }
        openAndBuild(b.bytes());
        FileTree sequential = BuildTree(ws->reader());
        sequential.trailers.complete = false; // forces the line-by-line scan
        for (std::int64_t i = 0; i < tree().size(); ++i) {
            if (tree().recordType(i) != "CA0")
                continue;
            AssembledClaim fast = NodeClick(*ws->file, i);
            AssembledClaim slow = NodeClick(ws->reader(), ws->layouts, sequential, i);
            QCOMPARE(describe(fast), describe(slow));
            QCOMPARE(lineOf(fast, "YA0"), lineOf(slow, "YA0"));
            QCOMPARE(lineOf(fast, "ZA0"), lineOf(slow, "ZA0"));
        }
    }

    void fileReplacedAfterTheBuild() {
        openAndBuild(twoBatches());
        // Another file under the same name: the old index must not be trusted.
        const std::string replacement = B().add(rec::aa0())
                                            .add(rec::ba0())
                                            .add(rec::ba1())
                                            .add(rec::ca0("NEW"))
                                            .add(rec::xa0({1}))
                                            .add(rec::ya0())
                                            .add(rec::za0())
                                            .bytes();
        ::unlink(ws->path("c.nsf").c_str());
        ws->write("c.nsf", replacement);
        ws->reader().close();
        QVERIFY(ws->reader().open(ws->path("c.nsf")));
        AssembledClaim r = click("CA0967");
        QCOMPARE(describe(r),
                 QStringLiteral("CA0: AA0 BA0<AA0 BA1<BA0 CA0<BA0 XA0<CA0 YA0<BA0 ZA0<AA0"));
        QCOMPARE(lineOf(r, "ZA0"), rec::za0());
        // Truncated below the claim: the click completes; only the headers'
        // nodes remain, nothing of the claim is read, and it says so. The
        // 100 bytes left where the file header was are no AA0 record: nothing
        // is read there, and the node shows what the store kept.
        QVERIFY(::truncate(ws->path("c.nsf").c_str(), 100) == 0);
        r = click("CA03543");
        QVERIFY(r.acted);
        QVERIFY(r.unreadable);
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0"));
        // The file header is cut to 100 characters, no record any more, and
        // the batch header is gone: their nodes show nothing, not what the
        // click before read there.
        QVERIFY(!r.record("AA0")->read);
        QVERIFY(!r.record("BA0")->read);
        QCOMPARE(lineOf(r, "AA0"), std::string());
        QCOMPARE(lineOf(r, "BA0"), std::string());
    }

    // A record a click lists but cannot read shows nothing of what an earlier
    // click read, in this file or in the file open before.
    void recordsNotReadShowNoOlderValues() {
        openAndBuild(twoBatches());
        const AssembledClaim first = click("CA0967");
        QCOMPARE(valueOf(first, "BA0", 2), std::string("111            "));
        ws->write("other.nsf", B().add(rec::aa0()).add(rec::ba0("999")).add(rec::ca0("B")).bytes());
        QVERIFY(ws->open("other.nsf"));
        tree_ = &ws->buildTree();
        QVERIFY(::truncate(ws->path("other.nsf").c_str(), 322) == 0);
        const AssembledClaim r = click("CA0645");
        QVERIFY(r.unreadable);
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0"));
        const AssembledRecord* ba0 = r.record("BA0");
        QVERIFY(ba0 && !ba0->read);
        QCOMPARE(ba0->line, std::string());
        QCOMPARE(valueOf(r, "BA0", 2), std::string());
        QVERIFY(!ba0->valid(0));
        QVERIFY(r.record("AA0")->read);
    }
};

QTEST_GUILESS_MAIN(NodeClickTest)
#include "NodeClickTest.moc"

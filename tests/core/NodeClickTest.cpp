#include "core/claim/NodeClick.h"

#include "ClaimFileBuilder.h"
#include "core/filetree/TreeBuilder.h"

#include <QTest>
#include <unistd.h>

using namespace qm;
using B = ClaimFileBuilder;

namespace {

QString describe(const ClickResult& r) {
    std::string out = r.RT + ":";
    for (const ClaimFormNode& n : r.nodes)
        out += " " + n.key + (n.parent.empty() ? "" : "<" + n.parent);
    return QString::fromStdString(out);
}

} // namespace

class NodeClickTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWorkspace> ws;
    FileTree tree;

    void openAndBuild(const std::string& bytes) {
        ws = std::make_unique<TestWorkspace>();
        ws->write("c.nsf", bytes);
        QVERIFY(ws->open("c.nsf"));
        tree = BuildTree(*ws->m.Files.get(ws->m.FileNumber));
    }

    ClickResult click(const std::string& key) {
        auto node = tree.findKey(key);
        if (!node)
            qFatal("no node %s", key.c_str());
        return NodeClick(ws->m, tree, *node);
    }

    const RecordLayout& store(const char* type) { return *ws->m.RecordLayouts.find(type); }

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
    void fileHeaderAndBatchViews() {
        openAndBuild(twoBatches());
        QCOMPARE(describe(click("AA01")), QStringLiteral("AA0: AA0"));
        QCOMPARE(store("AA0").Fields[2].Values[1], std::string("SUBMITTER01     "));
        QCOMPARE(describe(click("BA0323")), QStringLiteral("BA0: AA0 BA0<AA0 BA1<AA0"));
        QCOMPARE(store("BA1").Fields[1].Values[1], std::string("BA1"));
        // No BA1 after the second batch header: the line there (a CA0) stays in the store.
        QCOMPARE(describe(click("BA04831")), QStringLiteral("BA0: AA0 BA0<AA0"));
        QCOMPARE(store("BA1").Fields[1].Values[1], std::string("CA0"));
    }

    void claimView() {
        openAndBuild(twoBatches());
        ClickResult r = click("CA0967");
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0 BA1<BA0 CA0<BA0 DA0-1<CA0 DA1-1<CA0 "
                                             "EA0<CA0 FA0-1<CA0 FB0-1<CA0 FA0-2<CA0 XA0<CA0 "
                                             "YA0<BA0 ZA0<AA0"));
        QVERIFY(r.totalsChecked);
        QVERIFY(r.totalsOk);
        QCOMPARE(store("FA0").Info.Occurrence, 2);
        QCOMPARE(store("FA0").Info.Lines[1], rec::fa0(1, 1000, 10, 20));
        QCOMPARE(store("FA0").Info.Lines[2], rec::fa0(2, 2000, 30, 40));
        QCOMPARE(store("FA0").Fields[3].Values[2], std::string("0002000"));
        QVERIFY(store("FA0").Fields[3].Valid[2]);
        // The batch trailer of the first batch, not the second.
        QCOMPARE(store("YA0").Info.Lines[1], rec::ya0());
        // The same click again gives the same tree and totals.
        ClickResult again = click("CA0967");
        QCOMPARE(describe(again), describe(r));
        QCOMPARE(ws->m.Totals.CountF, 3);
        QCOMPARE(ws->m.Totals.SumFA0_13, 3000);
        QVERIFY(again.totalsOk);

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
        ClickResult r = click("CA0645");
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0 CA0<BA0 FA0-1<CA0 YA0<BA0 ZA0<AA0"));
        QCOMPARE(store("FA0").Info.Lines[1], rec::fa0(1, 7).substr(0, 319));
        QCOMPARE(ws->m.Totals.CountC, 2); // the next claim's CA0 counts once
        QCOMPARE(ws->m.Totals.CountF, 1);
        QCOMPARE(ws->m.Totals.CountG, 1);
        QCOMPARE(store("CA0").Fields[2].Values[1], std::string("NOXA0            "));
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
        ClickResult r = click("CA0645");
        int fa0Nodes = 0;
        int ea0Nodes = 0;
        for (const ClaimFormNode& n : r.nodes) {
            fa0Nodes += n.key.rfind("FA0-", 0) == 0;
            ea0Nodes += n.key == "EA0";
        }
        QCOMPARE(fa0Nodes, 99);
        QCOMPARE(ea0Nodes, 1);
        QCOMPARE(r.nodes.back().key, std::string("XA0"));
        QCOMPARE(store("EA0").Info.Lines[1], B::record("EA0", {{4, "SECOND"}}));
        QCOMPARE(store("FA0").Info.Occurrence, 101);
        QCOMPARE(ws->m.Totals.CountF, 101);
        QCOMPARE(ws->m.Totals.SumFA0_13, 99); // records past the 99th are not stored or summed
    }

    void orphanNodesAndStaleBatchTrailerLine() {
        openAndBuild(
            B().add(rec::ba0()).add(rec::ca0("ORPHAN")).add(rec::ba1()).add(rec::aa0()).bytes());
        QCOMPARE(describe(click("BA01")), QStringLiteral("BA0: BA0"));
        QCOMPARE(describe(click("CA0323")), QStringLiteral("CA0: BA0 CA0<BA0"));
        // A batch header at the very end: nothing after it, so no BA1 even though
        // the store still holds one from an earlier click.
        openAndBuild(
            B().add(rec::aa0()).add(rec::ba0()).add(rec::ba1()).add(rec::ba0("LAST")).bytes());
        QCOMPARE(describe(click("BA0323")), QStringLiteral("BA0: AA0 BA0<AA0 BA1<AA0"));
        ws->m.RecordLayouts.find("BA1")->Fields[1].Values[1] = "BA1";
        QCOMPARE(describe(click("BA0967")), QStringLiteral("BA0: AA0 BA0<AA0"));
    }

    void clickWithoutOpenFileChangesNothing() {
        openAndBuild(twoBatches());
        click("CA0967");
        ws->m.Files.close(ws->m.FileNumber);
        ClickResult r = click("CA03543");
        QVERIFY(r.noFileOpen);
        QVERIFY(!r.acted);
        QVERIFY(r.nodes.empty());
        QCOMPARE(store("FA0").Info.Occurrence, 2);
        QCOMPARE(ws->m.Totals.SumFA0_13, 3000);
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
        FileTree sequential = BuildTree(*ws->m.Files.get(ws->m.FileNumber));
        sequential.trailers.complete = false; // forces the line-by-line scan
        for (std::int64_t i = 0; i < tree.size(); ++i) {
            if (tree.recordType(i) != "CA0")
                continue;
            auto clearTrailers = [this] {
                ws->m.RecordLayouts.find("YA0")->Info.Lines[1].clear();
                ws->m.RecordLayouts.find("ZA0")->Info.Lines[1].clear();
            };
            clearTrailers();
            ClickResult fast = NodeClick(ws->m, tree, i);
            const std::string fastY = store("YA0").Info.Lines[1];
            const std::string fastZ = store("ZA0").Info.Lines[1];
            clearTrailers();
            ClickResult slow = NodeClick(ws->m, sequential, i);
            QCOMPARE(describe(fast), describe(slow));
            QCOMPARE(fastY, store("YA0").Info.Lines[1]);
            QCOMPARE(fastZ, store("ZA0").Info.Lines[1]);
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
        ws->m.Files.close(ws->m.FileNumber);
        QVERIFY(ws->m.Files.open(ws->m.FileNumber, ws->path("c.nsf")));
        ClickResult r = click("CA0967");
        QCOMPARE(describe(r),
                 QStringLiteral("CA0: AA0 BA0<AA0 BA1<BA0 CA0<BA0 XA0<CA0 YA0<BA0 ZA0<AA0"));
        QCOMPARE(store("ZA0").Info.Lines[1], rec::za0());
        // Truncated below the claim: the click completes; only the headers'
        // nodes remain, and nothing of the claim is read.
        QVERIFY(::truncate(ws->path("c.nsf").c_str(), 100) == 0);
        r = click("CA03543");
        QVERIFY(r.acted);
        QCOMPARE(describe(r), QStringLiteral("CA0: AA0 BA0<AA0"));
        QCOMPARE(store("AA0").Info.Lines[1].size(), std::size_t(100));
    }
};

QTEST_GUILESS_MAIN(NodeClickTest)
#include "NodeClickTest.moc"

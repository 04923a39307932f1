#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/common/BlockArray.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"

#include <QTest>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace qm;
using B = ClaimFileBuilder;

class FileTreeTest : public QObject {
    Q_OBJECT

    TestWorkspace ws;

    FileTree build(const std::string& bytes) {
        ws.write("t.nsf", bytes);
        SequentialFile f;
        if (!f.open(ws.path("t.nsf")))
            qFatal("cannot open");
        FileTree tree = BuildTree(f);
        if (!f.atEnd())
            qFatal("the build must leave the file at its end");
        return tree;
    }

    // One line per node: key, parent key and text.
    static QString describe(const FileTree& t) {
        std::string out;
        for (std::int64_t i = 0; i < t.size(); ++i) {
            const std::int64_t p = t.parent(i);
            out +=
                t.key(i) + " < " + (p < 0 ? "-" : t.key(p)) + " | " + std::string(t.text(i)) + "\n";
        }
        return QString::fromStdString(out);
    }
    static QString lines(std::initializer_list<const char*> list) {
        std::string out;
        for (const char* l : list)
            out += std::string(l) + "\n";
        return QString::fromStdString(out);
    }

private slots:
    // The tree's arrays: past a huge page's worth their blocks share huge
    // pages; every element reads back, across the switch and after a clear.
    void blockArraysReadBackPastTheirHugePages() {
        BlockArray<std::uint32_t, 16, true> huge;
        BlockArray<std::uint16_t, 4> small;
        for (int round = 0; round < 2; ++round) {
            const std::uint32_t count = 3'000'000 + 17;
            for (std::uint32_t i = 0; i < count; ++i) {
                huge.push_back(i * 7 + std::uint32_t(round));
                small.push_back(std::uint16_t(i));
            }
            QCOMPARE(huge.size(), std::size_t(count));
            for (std::uint32_t i = 0; i < count; i += 1 + i % 4099) {
                QCOMPARE(huge[i], i * 7 + std::uint32_t(round));
                QCOMPARE(small[i], std::uint16_t(i));
            }
            QCOMPARE(huge[count - 1], (count - 1) * 7 + std::uint32_t(round));
            huge.clear();
            small.clear();
            QVERIFY(huge.empty());
        }
    }
    void keysTextsParentsAndCounts() {
        const FileTree t = build(B().add(rec::aa0("  SUBMITTER01 "))
                                     .add(rec::ba0("123456789", "SMITH", "JOHN"))
                                     .add(rec::ca0("PCN0001", "DOE", "JANE"))
                                     .add(rec::fa0(1, 100))
                                     .add(rec::xa0({}))
                                     .add(rec::ca0("PCN0002", "ROE", "RICHARD"))
                                     .add(rec::ya0())
                                     .add(rec::ba0("987654321", "", "", "GENERAL CLINIC"))
                                     .add(rec::ca0("PCN0003"))
                                     .add(rec::ya0())
                                     .add(rec::za0())
                                     .bytes());
        QCOMPARE(describe(t), lines({
                                  "AA01 < - | AA0: SUBMITTER01",
                                  "BA0323 < AA01 | BA0: 123456789 - SMITH, JOHN",
                                  "CA0645 < BA0323 | CA0: DOE, JANE (PCN0001)",
                                  "CA01611 < BA0323 | CA0: ROE, RICHARD (PCN0002)",
                                  "BA02255 < AA01 | BA0: 987654321 - GENERAL CLINIC",
                                  "CA02577 < BA02255 | CA0: DOE, JANE (PCN0003)",
                              }));
        QCOMPARE(t.BatchCount, 2);
        QCOMPARE(t.ClaimCount, 3);
        QCOMPARE(t.lastAdded(), 5);
        // Child lists in file order, for the tree view.
        QCOMPARE(t.childCount(FileTree::kNoNode), 1);
        QCOMPARE(t.childCount(0), 2);
        QCOMPARE(t.child(0, 1), 4);
        QCOMPARE(t.childCount(1), 2);
        QCOMPARE(t.child(1, 1), 3);
        QCOMPARE(t.rowInParent(3), 1);
        QCOMPARE(t.rowInParent(4), 1);
        QCOMPARE(t.childCount(5), 0);
        QCOMPARE(t.findKey("CA01611"), std::optional<std::int64_t>(3));
        QCOMPARE(t.findKey("BA01611"), std::optional<std::int64_t>());
        QCOMPARE(t.findKey("CA0x"), std::optional<std::int64_t>());
        QCOMPARE(t.findKey("CA001611"), std::optional<std::int64_t>());
        QCOMPARE(t.findKey("AA01"), std::optional<std::int64_t>(0));
    }

    void batchNameRule() {
        // Columns 198-219 hold only the first name's first two characters here.
        std::string onlyFirst = B::record("BA0", {{32, "TAX"}, {165, "ORG"}, {218, "AL"}});
        std::string blank = B::record("BA0", {{32, "TAX"}, {165, "ORG"}, {220, "IGNORED"}});
        const FileTree t = build(B().add(rec::aa0()).add(onlyFirst).add(blank).bytes());
        QCOMPARE(std::string(t.text(1)), std::string("BA0: TAX - , AL"));
        QCOMPARE(std::string(t.text(2)), std::string("BA0: TAX - ORG"));
    }

    void lineLengthsAndLineFeeds() {
        const FileTree t = build(B().add(rec::aa0())
                                     .add(rec::ba0().substr(0, 319)) // too short: skipped
                                     .add(rec::ba0())
                                     .add("\n" + rec::ca0("LF")) // a record after its LF
                                     // 320 with the LF, but no record without it
                                     .add("\n" + rec::ca0("SHORT").substr(0, 319))
                                     .add(B::record("ca0"))
                                     .add(rec::ya0())
                                     .bytes());
        QCOMPARE(describe(t),
                 lines({"AA01 < - | AA0: SUBMITTER01", "BA0644 < AA01 | BA0: 123456789 - ORG NAME",
                        "CA0967 < BA0644 | CA0: DOE, JANE (LF)"}));
        QCOMPARE(t.position(2), 967); // one past the line start: the LF was dropped
    }

    void orphansBecomeRootsAndSecondHeaderStartsANewRoot() {
        const FileTree t = build(B().add(rec::ca0("ORPHAN"))
                                     .add(rec::ba0("111"))
                                     .add(rec::ca0("EARLY"))
                                     .add(rec::aa0("FIRST"))
                                     .add(rec::ca0("UNDER EARLY BATCH"))
                                     .add(rec::aa0("SECOND"))
                                     .add(rec::ba0("222"))
                                     .add(rec::xa0({}))
                                     .add(rec::ya0())
                                     .add(rec::ca0("LAST"))
                                     .bytes());
        QCOMPARE(describe(t), lines({
                                  "CA01 < - | CA0: DOE, JANE (ORPHAN)",
                                  "BA0323 < - | BA0: 111 - ORG NAME",
                                  "CA0645 < BA0323 | CA0: DOE, JANE (EARLY)",
                                  "AA0967 < - | AA0: FIRST",
                                  "CA01289 < BA0323 | CA0: DOE, JANE (UNDER EARLY BATCH)",
                                  "AA01611 < - | AA0: SECOND",
                                  "BA01933 < AA01611 | BA0: 222 - ORG NAME",
                                  "CA02899 < BA01933 | CA0: DOE, JANE (LAST)",
                              }));
        QCOMPARE(t.BatchCount, 2);
        QCOMPARE(t.ClaimCount, 4);
        QCOMPARE(t.childCount(FileTree::kNoNode), 4);
    }

    void emptyAndShortFiles() {
        for (const std::string& bytes : {std::string(), std::string(319, 'A') + "\r\n",
                                         std::string(100000, '\n'), std::string(5000, '\0')}) {
            const FileTree t = build(bytes);
            QCOMPARE(t.size(), 0);
            QCOMPARE(t.BatchCount, 0);
            QCOMPARE(t.ClaimCount, 0);
            QCOMPARE(t.childCount(FileTree::kNoNode), 0);
        }
    }

    void lfOnlyFileIsOneLine() {
        B b;
        b.lineEnd = "\n";
        const FileTree t = build(b.add(rec::aa0()).add(rec::ba0()).add(rec::ca0("X")).bytes());
        QCOMPARE(describe(t), lines({"AA01 < - | AA0: SUBMITTER01"}));
    }

    void crOnlyLineEnds() {
        B b;
        b.lineEnd = "\r";
        const FileTree t = build(b.add(rec::aa0()).add(rec::ba0()).add(rec::ca0("X")).bytes());
        QCOMPARE(t.key(2), std::string("CA0643"));
    }

    // Parents, children and rows follow from the node kinds in file order:
    // on any order of headers, batches and claims they agree with child lists
    // kept the plain way. Positions past 4 GB, and texts across groups and
    // chunks of the packed fields, come back as they went in.
    void anyOrderOfRecords() {
        std::mt19937 random(13);
        const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        auto field = [&](std::size_t longest) {
            std::string f(random() % (longest + 1), ' ');
            for (char& c : f)
                c = letters[random() % letters.size()];
            return f;
        };
        for (int round = 0; round < 200; ++round) {
            // One round large enough for several chunks of fields.
            const int n = round == 0 ? 60000 : int(random() % 40);
            FileTree t;
            std::vector<std::int64_t> parents, positions;
            std::vector<std::string> texts;
            std::int64_t header = FileTree::kNoNode, batch = FileTree::kNoNode, position = 1;
            // The listing's texts are put together apart from the tree's: the same.
            NodeText made;
            auto add = [&](const NodeText::Fields& fields, const std::string& text) {
                t.add(position, fields);
                texts.push_back(text);
                QCOMPARE(std::string(made.make(fields)), text);
                QVERIFY(NodeText::isPlain(fields));
            };
            for (int i = 0; i < n; ++i) {
                position += random() % 8 == 0 ? (std::int64_t(1) << 31) + random() % 1000 : 322;
                positions.push_back(position);
                const unsigned kind = random() % 10;
                if (kind == 0) {
                    const std::string submitter = field(16);
                    add({NodeText::kHeader, {submitter}}, "AA0: " + submitter);
                    parents.push_back(FileTree::kNoNode);
                    header = i;
                } else if (kind <= 2) {
                    const std::string tax = field(15), last = field(20), first = field(12);
                    if (kind == 1) {
                        const std::string name = field(33); // the longest field
                        add({NodeText::kBatchByName, {tax, name}}, "BA0: " + tax + " - " + name);
                    } else {
                        add({NodeText::kBatchByPerson, {tax, last, first}},
                            "BA0: " + tax + " - " + last + ", " + first);
                    }
                    parents.push_back(header);
                    batch = i;
                } else {
                    const std::string last = field(20), first = field(12), pcn = field(17);
                    add({NodeText::kClaim, {last, first, pcn}},
                        "CA0: " + last + ", " + first + " (" + pcn + ")");
                    parents.push_back(batch);
                }
            }
            QCOMPARE(t.size(), std::int64_t(n));
            std::map<std::int64_t, std::vector<std::int64_t>> children;
            for (int i = 0; i < n; ++i)
                children[parents[std::size_t(i)]].push_back(i);
            for (std::int64_t node = FileTree::kNoNode; node < n; ++node) {
                const std::vector<std::int64_t>& list = children[node];
                QCOMPARE(t.childCount(node), std::int64_t(list.size()));
                for (std::size_t row = 0; row < list.size(); ++row) {
                    QCOMPARE(t.child(node, std::int64_t(row)), list[row]);
                    QCOMPARE(t.rowInParent(list[row]), std::int64_t(row));
                    QCOMPARE(t.parent(list[row]), node);
                }
            }
            std::vector<std::string> walked;
            t.findText(0, n, [&](std::string_view text) {
                walked.emplace_back(text);
                return false;
            });
            QCOMPARE(walked, texts);
            walked.clear();
            t.findText(
                0, n,
                [&](std::string_view text) {
                    walked.emplace_back(text);
                    return false;
                },
                true);
            QCOMPARE(std::vector<std::string>(walked.rbegin(), walked.rend()), texts);
            for (int i = 0; i < n; i += 1 + n / 1000) {
                QCOMPARE(t.position(i), positions[std::size_t(i)]);
                QCOMPARE(t.text(i), texts[std::size_t(i)]);
                QCOMPARE(t.findKey(t.key(i)), std::optional<std::int64_t>(i));
            }
        }
    }

    // A build on another thread tells the file's size and the bytes read,
    // and a cancel stops its scan at the next report, a megabyte at most in.
    void buildReportsProgressAndStopsOnCancel() {
        B b;
        b.add(rec::aa0()).add(rec::ba0());
        for (int i = 0; i < 5000; ++i)
            b.add(rec::ca0("PCN" + std::to_string(i)));
        const std::string bytes = b.bytes();
        ws.write("big.nsf", bytes);
        SequentialFile f;
        QVERIFY(f.open(ws.path("big.nsf")));
        const auto size = std::int64_t(bytes.size());

        ProgressControl control;
        const std::optional<FileTree> tree = BuildTree(f, control);
        QVERIFY(tree);
        QCOMPARE(tree->ClaimCount, std::int64_t(5000));
        QCOMPARE(control.bytesTotal.load(), size);
        QCOMPARE(control.bytesDone.load(), size);

        control.cancel = true;
        QVERIFY(!BuildTree(f, control));
        QVERIFY(control.bytesDone.load() < size);
        QVERIFY(!f.atEnd());
    }

    void trailerIndex() {
        const FileTree t = build(B().add(rec::aa0())
                                     .add(rec::ya0())
                                     .add("\n" + rec::ya0())
                                     .add("\n" + rec::ya0().substr(0, 319))
                                     .add(rec::ya0().substr(0, 319))
                                     .add(rec::za0())
                                     .bytes());
        QCOMPARE(t.trailers.firstAtOrAfter('Y', 1), std::optional<std::int64_t>(323));
        QCOMPARE(t.trailers.firstAtOrAfter('Y', 324), std::optional<std::int64_t>(645));
        QCOMPARE(t.trailers.firstAtOrAfter('Y', 646), std::optional<std::int64_t>());
        QCOMPARE(t.trailers.firstAtOrAfter('Z', 1), std::optional<std::int64_t>(1611));
        QVERIFY(t.trailers.complete);
    }
};

QTEST_GUILESS_MAIN(FileTreeTest)
#include "FileTreeTest.moc"

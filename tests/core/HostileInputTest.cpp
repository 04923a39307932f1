#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/RecordStore.h"

#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

using namespace qm;
using B = ClaimFileBuilder;

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace

// Files and map files from everywhere: nothing may crash, hang or grow without bound.
class HostileInputTest : public QObject {
    Q_OBJECT

private slots:
    void oddFieldDefinitionsCutSafely() {
        TestWorkspace ws;
        ws.write("nsf0301.map", TestWorkspace::testMap() +
                                    "CA0,06.0,START ZERO,3,X,0,2\n"
                                    "CA0,07.0,START NEGATIVE,3,X,-5,-3\n"
                                    "CA0,08.0,NEGATIVE LENGTH,-4,X,10,6\n"
                                    "CA0,09.0,HUGE LENGTH,32767,X,300,32766\n"
                                    "CA0,10.0,END BEFORE START,5,X,100,90\n"
                                    "CA0,11.0,BEYOND THE LINE,5,X,32000,32004\n"
                                    "CA0,12.0,\"QUOTED, WITH COMMA\",2,X,1,2");
        ws.write("c.nsf", B().add(rec::aa0()).add(rec::ba0()).add(rec::ca0("P")).bytes());
        QVERIFY(ws.open("c.nsf"));
        ws.buildTree();
        const RecordLayout& ca0 = *ws.layouts->find("CA0");
        QCOMPARE(ca0.fieldCount(), 12);
        const AssembledClaim r = NodeClick(*ws.file, 2);
        QVERIFY(r.acted);
        auto value = [&](int slot) {
            return std::string(r.record("CA0")->value(slot - 1));
        };
        QCOMPARE(value(6), std::string()); // uncuttable: keeps what it held (nothing yet)
        QCOMPARE(value(7), std::string());
        QCOMPARE(value(8), std::string());
        QCOMPARE(value(9), rec::ca0("P").substr(299));
        QCOMPARE(value(10), rec::ca0("P").substr(99, 5));
        QCOMPARE(value(11), std::string());
        QCOMPARE(value(12), std::string("CA"));
        QCOMPARE(ca0.field(11).FieldName, std::string("QUOTED, WITH COMMA"));
    }

    void lineLengths() {
        TestWorkspace ws;
        const std::string huge = "CA0" + std::string(99997, 'x');
        ws.write("c.nsf", B().add(rec::aa0())
                              .add(rec::ba0())
                              .add(rec::ca0("A").substr(0, 319))
                              .add(rec::ca0("B"))
                              .add(huge)
                              .add(rec::xa0({}))
                              .bytes());
        QVERIFY(ws.open("c.nsf"));
        const FileTree& tree = ws.buildTree();
        QCOMPARE(tree.ClaimCount, 2);
        QCOMPARE(tree.key(2), std::string("CA0966"));
        QCOMPARE(tree.key(3), std::string("CA01288"));
        const AssembledClaim r = NodeClick(*ws.file, 3);
        QVERIFY(r.acted);
        // Kept up to the furthest column a map can name, and said to be cut.
        const AssembledRecord* record = r.record("CA0");
        QCOMPARE(record->line.size(), RecordStore::kMaxStoredLine);
        QVERIFY(record->lineCut);
        QCOMPARE(record->line, huge.substr(0, RecordStore::kMaxStoredLine));
    }

    void lineEndStyles_data() {
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<int>("claims");
        QTest::newRow("CR LF") << QStringLiteral("\r\n") << 2;
        QTest::newRow("CR") << QStringLiteral("\r") << 2;
        QTest::newRow("LF CR") << QStringLiteral("\n\r") << 2;
        QTest::newRow("LF") << QStringLiteral("\n") << 0;
    }

    void lineEndStyles() {
        QFETCH(QString, lineEnd);
        QFETCH(int, claims);
        TestWorkspace ws;
        B b;
        b.lineEnd = lineEnd.toStdString();
        b.add(rec::aa0()).add(rec::ba0()).add(rec::ca0("A")).add(rec::xa0({1})).add(rec::ca0("B"));
        b.add(rec::ya0()).add(rec::za0());
        ws.write("c.nsf", b.bytes());
        QVERIFY(ws.open("c.nsf"));
        const FileTree& tree = ws.buildTree();
        QCOMPARE(tree.ClaimCount, claims);
        for (std::int64_t i = 0; i < tree.size(); ++i)
            QVERIFY(NodeClick(*ws.file, i).acted);
    }

    void twoGigabytesWithoutALineEnd() {
        TestWorkspace ws;
        const std::string path = ws.path("huge.nsf");
        int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        const std::string head = rec::aa0();
        QCOMPARE(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        QVERIFY(::ftruncate(fd, 2LL * 1024 * 1024 * 1024 + 17) == 0); // the rest reads as NULs
        ::close(fd);
        const long before = residentKiB();
        QVERIFY(ws.open("huge.nsf")); // one line, which begins with the file header
        const FileTree& tree = ws.buildTree();
        QCOMPARE(tree.size(), 1);
        const AssembledClaim r = NodeClick(*ws.file, 0);
        QVERIFY(r.acted);
        QCOMPARE(r.record("AA0")->line.size(), RecordStore::kMaxStoredLine);
        QVERIFY2(residentKiB() - before < 64 * 1024, "memory must stay bounded");
    }
};

QTEST_GUILESS_MAIN(HostileInputTest)
#include "HostileInputTest.moc"

#include "core/layouts/MapLoader.h"

#include "ClaimFileBuilder.h"
#include "TestWorkspace.h"
#include "core/common/MessageTexts.h"
#include "core/layouts/MapSearchPath.h"

#include <QDir>
#include <QTest>
#include <sys/stat.h>

using namespace qm;

class MapLoaderTest : public QObject {
    Q_OBJECT

    static std::string defs(const std::string& type, int count, int first = 1) {
        std::string s;
        for (int i = first; i < first + count; ++i)
            s += type + "," + ClaimFileBuilder::digits(i, 2) + ".0,F" + std::to_string(i) +
                 ",1,X," + std::to_string(i) + "," + std::to_string(i) + "\n";
        return s;
    }

    static RecordInfo info(TestWorkspace& ws, const char* type) {
        const RecordLayout* layout = ws.layouts->find(type);
        return {std::int16_t(layout->fieldCount()), layout->repeats()};
    }
    // Field slot numbers count from 1, in map-file order.
    static const FieldDef& field(TestWorkspace& ws, const char* type, int slot) {
        return ws.layouts->find(type)->field(slot - 1);
    }

    // Loads text as "x.map"; returns the loader's result.
    static bool load(TestWorkspace& ws, const std::string& text) {
        ws.write("x.map", text);
        return LoadMapFile(ws.mapFolders, "x.map", ws.sink, ws.layouts);
    }

    static void expectReadFailure(TestWorkspace& ws, const std::string& lastKey) {
        QCOMPARE(ws.sink.messages.size(), std::size_t(1));
        const Message& msg = ws.sink.messages.back();
        QCOMPARE(msg.text, "Unable to read from map file @ line '" + lastKey + "'");
        QCOMPARE(msg.title, std::string("Error Reading Map File: x.map"));
        QCOMPARE(msg.icon, MessageIcon::Critical);
        QCOMPARE(msg.buttons, MessageButtons::Ok);
    }

private slots:
    void valuesAndOrder() {
        TestWorkspace ws;
        QVERIFY(load(ws, "AA0,01.0,RECORD ID,3,XR,1,3\r\n"
                         "CA0, 01.0 , \"NAME, WITH COMMA\" ,  17 ,X ,6,22\r\n"
                         "\r\n   \n"
                         "AA0,02.0,\"QUOTED\",,N,,\r\n"
                         "AA0,03.0,LAST,-5,D,-5,0"));
        QVERIFY(ws.sink.messages.empty());
        QCOMPARE(int(info(ws, "AA0").FieldCount), 3);
        QCOMPARE(int(info(ws, "CA0").FieldCount), 1);
        QCOMPARE(field(ws, "AA0", 1).TypeCodes, std::string("XR"));
        const FieldDef& ca0 = field(ws, "CA0", 1);
        QCOMPARE(ca0.FieldId, std::string("01.0"));
        QCOMPARE(ca0.FieldName, std::string("NAME, WITH COMMA"));
        QCOMPARE(ca0.TypeCodes, std::string("X"));
        QCOMPARE(int(ca0.Length), 17);
        QCOMPARE(int(ca0.StartPos), 6);
        QCOMPARE(int(ca0.EndPos), 22);
        const FieldDef& empty = field(ws, "AA0", 2);
        QCOMPARE(int(empty.Length), 0);
        QCOMPARE(int(empty.StartPos), 0);
        QCOMPARE(int(empty.EndPos), 0);
        QCOMPARE(int(field(ws, "AA0", 3).StartPos), -5);
        QCOMPARE(int(field(ws, "AA0", 3).Length), -5);
        QCOMPARE(field(ws, "AA0", 3).FieldName, std::string("LAST"));
    }

    // A quoted last value ends its line: the line end after the closing quote
    // still separates it from the next definition.
    void quotedLastValueBeforeALineEnd_data() {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void quotedLastValueBeforeALineEnd() {
        QFETCH(QByteArray, lineEnd);
        TestWorkspace ws;
        const std::string end = lineEnd.toStdString();
        QVERIFY(load(ws, "AA0,01.0,ID,3,X,1,\"3\"" + end + "AA0,02.0,NEXT,2,X,4,5" + end));
        QCOMPARE(int(info(ws, "AA0").FieldCount), 2);
        QCOMPARE(int(field(ws, "AA0", 1).EndPos), 3);
        QCOMPARE(field(ws, "AA0", 2).FieldName, std::string("NEXT"));
    }

    void repeatsNeedTheExactName() {
        TestWorkspace ws;
        QVERIFY(load(ws, "FA0,02.0,SEQUENCE NO,2,N,4,5\n"
                         "FB0,02.0,Sequence No,2,N,4,5\n"
                         "FB1,02.0,\"SEQUENCE NO \",2,N,4,5\n"
                         "FB2,02.0,SEQUENCE NO   ,2,N,4,5\n"));
        QVERIFY(info(ws, "FA0").Repeats);
        QVERIFY(!info(ws, "FB0").Repeats);
        QVERIFY(!info(ws, "FB1").Repeats);
        QVERIFY(info(ws, "FB2").Repeats); // trailing blanks of an unquoted value are dropped
    }

    void unknownTypesAreSkipped() {
        TestWorkspace ws;
        QVERIFY(load(ws, "AB0,01.0,X,1,X,1,1\naa0,01.0,X,1,X,1,1\nAA0,01.0,ID,3,X,1,3\n"));
        QCOMPARE(int(info(ws, "AA0").FieldCount), 1);
        QCOMPARE(field(ws, "AA0", 1).FieldName, std::string("ID"));
    }

    void shortLineShiftsLaterDefinitions() {
        TestWorkspace ws;
        // The six-value line takes its last column from the next line, which
        // then lacks a value, so the file ends inside the second definition.
        QVERIFY(!load(ws, "AA0,01.0,ID,3,X,1\n9,02.0,NEXT,5,X,4,8\n"));
        QCOMPARE(int(info(ws, "AA0").FieldCount), 1);
        QCOMPARE(int(field(ws, "AA0", 1).EndPos), 9);
        expectReadFailure(ws, "AA0 01.0");
    }

    void emptyFileAndSecondLoadReset() {
        TestWorkspace ws;
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        QVERIFY(info(ws, "FA0").Repeats);
        QVERIFY(load(ws, ""));
        for (int i = 0; i < kRecordTypeCount; ++i) {
            QCOMPARE(ws.layouts->at(i).fieldCount(), 0);
            QVERIFY(!ws.layouts->at(i).repeats());
        }
        QVERIFY(ws.sink.messages.empty());
    }

    void ninetyNineDefinitionsLoadAHundredthFails() {
        TestWorkspace ws;
        QVERIFY(load(ws, defs("GX2", 99)));
        QCOMPARE(int(info(ws, "GX2").FieldCount), 99);
        QVERIFY(!load(ws, defs("GX2", 99) + "GX2,99.9,ONE TOO MANY,1,X,1,1\n" + defs("AA0", 1)));
        expectReadFailure(ws, "GX2 99.0");
        QCOMPARE(int(info(ws, "GX2").FieldCount), 99);
        QCOMPARE(int(info(ws, "AA0").FieldCount), 0);
    }

    void numbersOutOfRangeOrNotWhole() {
        for (const char* bad : {"40000", "-32769", "1.5", "12A", "0x10", "1e3", "--5"}) {
            TestWorkspace ws;
            QVERIFY(!load(ws, std::string("AA0,01.0,LEN,") + bad + ",X,1,3\n"));
            expectReadFailure(ws, ""); // nothing stored yet: the text ends in two quote marks
            QCOMPARE(ws.sink.messages[0].text,
                     std::string("Unable to read from map file @ line ''"));
        }
        TestWorkspace ws;
        QVERIFY(load(ws, "AA0,01.0,LEN,32767,X,-32768,+5\n"));
        QCOMPARE(int(field(ws, "AA0", 1).Length), 32767);
        QCOMPARE(int(field(ws, "AA0", 1).StartPos), -32768);
        QVERIFY(!load(ws, "AA0,01.0,ID,3,X,1,3\nCA0,01.0,ID,3,X,1,99999\n"));
        expectReadFailure(ws, "AA0 01.0");
    }

    // A field number defined again, or columns that overlap another field's,
    // load as the map says, with one warning each kept in the layouts.
    void doubtfulFieldsAreNamed_data() {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("sound") << QByteArray(defs("CA0", 3).c_str()) << QStringList();
        QTest::newRow("twice")
            << QByteArray("CA0,04.0,A,5,X,1,5\nCA0,05.0,B,5,X,6,10\n"
                          "CA0,04.0,C,5,X,11,15\n")
            << QStringList{QStringLiteral(
                   "x.map: CA0 04.0 is defined twice, the first definition is used")};
        QTest::newRow("three times, blanks aside")
            << QByteArray("DA0,04.0,A,1,X,1,1\nDA0,\" 04.0\",B,1,X,2,2\nDA0,04.0,C,1,X,3,3\n")
            << QStringList{QStringLiteral(
                   "x.map: DA0 04.0 is defined 3 times, the first definition is used")};
        QTest::newRow("same number, other types")
            << QByteArray("CA0,04.0,A,5,X,1,5\nDA0,04.0,A,5,X,1,5\n") << QStringList();
        QTest::newRow("overlap") << QByteArray("CA0,01.0,A,5,X,1,5\nCA0,02.0,B,5,X,4,8\n"
                                               "CA0,03.0,C,5,X,9,13\n")
                                 << QStringList{QStringLiteral(
                                        "x.map: CA0 02.0 (columns 4-8) overlaps CA0 01.0 "
                                        "(columns 1-5)")};
        QTest::newRow("inside and out of order")
            << QByteArray("CA0,02.0,B,10,X,11,20\nCA0,01.0,A,20,X,1,20\n")
            << QStringList{QStringLiteral(
                   "x.map: CA0 01.0 (columns 1-20) overlaps CA0 02.0 (columns 11-20)")};
        QTest::newRow("duplicate and overlap")
            << QByteArray("CA0,01.0,A,5,X,1,5\nCA0,02.0,B,5,X,6,10\nCA0,01.0,C,5,X,8,12\n")
            << QStringList{
                   QStringLiteral("x.map: CA0 01.0 is defined twice, the first definition is used"),
                   QStringLiteral(
                       "x.map: CA0 01.0 (columns 8-12) overlaps CA0 02.0 (columns 6-10)")};
        QTest::newRow("fields that cut nothing")
            << QByteArray("CA0,01.0,A,5,X,1,5\nCA0,02.0,B,0,X,3,3\nCA0,03.0,C,5,X,0,4\n"
                          "CA0,04.0,D,-2,X,2,1\n")
            << QStringList();
    }

    void doubtfulFieldsAreNamed() {
        QFETCH(QByteArray, map);
        QFETCH(QStringList, warnings);
        TestWorkspace ws;
        QVERIFY(load(ws, map.toStdString()));
        QVERIFY(ws.sink.messages.empty());
        QStringList found;
        for (const std::string& line : ws.layouts->warnings())
            found << QString::fromStdString(line);
        QCOMPARE(found, warnings);
    }

    // 99 fields on one column overlap in 4,851 pairs: the first hundred are named.
    void doubtfulFieldsAreCapped() {
        std::string map;
        for (int i = 1; i <= 99; ++i)
            map += "AA0," + ClaimFileBuilder::digits(i, 2) + ".0,F,1,X,1,1\n";
        TestWorkspace ws;
        QVERIFY(load(ws, map));
        const std::vector<std::string>& warnings = ws.layouts->warnings();
        QCOMPARE(warnings.size(), std::size_t(101));
        QCOMPARE(warnings.front(),
                 std::string("x.map: AA0 02.0 (columns 1-1) overlaps AA0 01.0 (columns 1-1)"));
        QCOMPARE(warnings.back(),
                 std::string("x.map: and 4751 more fields defined twice or overlapping"));
    }

    void fileEndingInsideADefinition() {
        TestWorkspace ws;
        QVERIFY(!load(ws, "AA0,01.0,ID,3,X,1,3\nBA0,01.0,ID,3"));
        expectReadFailure(ws, "AA0 01.0");
        QCOMPARE(int(info(ws, "AA0").FieldCount), 1);
    }

    void runawayQuoteIsBounded() {
        TestWorkspace ws;
        QVERIFY(!load(ws, "AA0,01.0,\"" + std::string(200000, 'q')));
        expectReadFailure(ws, "");
    }

    void definitionCounterOverflows() {
        TestWorkspace ws;
        std::string text;
        for (int i = 0; i < 32767; ++i)
            text += "QQ0,1,2,3,4,5,6\n";
        QVERIFY(load(ws, text));
        QVERIFY(!load(ws, text + "AA0,01.0,ID,3,X,1,3\n"));
        expectReadFailure(ws, "");
        QCOMPARE(int(info(ws, "AA0").FieldCount), 0);
    }

    void missingFolderSeparatorsAndFiles() {
        TestWorkspace ws;
        ws.mapFolders = {ws.folder + "/"}; // a folder that already ends in a separator
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        QVERIFY(!LoadMapFile(ws.mapFolders, "absent.map", ws.sink, ws.layouts));
        QCOMPARE(ws.sink.messages.size(), std::size_t(1));
        // A pipe in place of a map must not block the load.
        QVERIFY(::mkfifo(ws.path("pipe.map").c_str(), 0600) == 0);
        QVERIFY(!LoadMapFile(ws.mapFolders, "pipe.map", ws.sink, ws.layouts));
        QCOMPARE(ws.sink.messages.size(), std::size_t(2));
        QCOMPARE(ws.sink.messages[0].text,
                 "Unable to open map file: absent.map\n\nLooked for it at:\n" + ws.folder +
                     "/absent.map\n\n" + MessageTexts::mapFolderHint());
        QCOMPARE(ws.sink.messages[0].title, std::string("Error Opening Map File"));
    }

    // Every folder of the search is tried in order; the first that holds the
    // file is used, and a miss names each path tried.
    void mapFoldersAreSearchedInOrder() {
        TestWorkspace ws;
        QTemporaryDir other;
        const std::string empty = other.path().toStdString();
        ws.mapFolders = {empty, ws.folder};
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        QVERIFY(ws.layouts->find("AA0")->fieldCount() > 0);
        QVERIFY(!LoadMapFile(ws.mapFolders, "absent.map", ws.sink, ws.layouts));
        QCOMPARE(ws.sink.messages.back().text,
                 "Unable to open map file: absent.map\n\nLooked for it at:\n" + empty +
                     "/absent.map\n" + ws.folder + "/absent.map\n\n" +
                     MessageTexts::mapFolderHint());
        QCOMPARE(MapSearchPath::folderInUse(ws.mapFolders), ws.folder);
        QCOMPARE(MapSearchPath::folderInUse({empty}), std::string());
    }

    void searchPathOrder_data() {
        QTest::addColumn<QByteArray>("commandLine");
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QByteArray>("executable");
        QTest::addColumn<QByteArrayList>("expected");
        const QByteArray build = QUILLMARK_BUILD_DIR "/src/cli";
        QTest::newRow("all places")
            << QByteArray() << QByteArray("/env") << QByteArray("/opt/q/bin")
            << QByteArrayList{"/env", "/start", "/opt/q/share/quillmark/maps"};
        // The maps the user named, and no others.
        QTest::newRow("--maps alone") << QByteArray("/cli") << QByteArray("/env")
                                      << QByteArray("/opt/q/bin") << QByteArrayList{"/cli"};
        QTest::newRow("repeats and blanks left out")
            << QByteArray("/start") << QByteArray() << QByteArray() << QByteArrayList{"/start"};
        QTest::newRow("run from the build folder")
            << QByteArray() << QByteArray() << build
            << QByteArrayList{
                   "/start",
                   QDir::cleanPath(QString::fromUtf8(build + "/" QUILLMARK_DATA_MAPS_FROM_BIN))
                       .toUtf8(),
                   QUILLMARK_SOURCE_MAPS_DIR};
    }

    void searchPathOrder() {
        QFETCH(QByteArray, commandLine);
        QFETCH(QByteArray, environment);
        QFETCH(QByteArray, executable);
        QFETCH(QByteArrayList, expected);
        QByteArrayList folders;
        for (const std::string& folder :
             MapSearchPath::folders({commandLine.toStdString(), environment.toStdString(), "/start",
                                     executable.toStdString()}))
            folders << QByteArray::fromStdString(folder);
        QCOMPARE(folders, expected);
    }
};

QTEST_GUILESS_MAIN(MapLoaderTest)
#include "MapLoaderTest.moc"

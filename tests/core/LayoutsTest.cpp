#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/common/MessageTexts.h"
#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/VersionDetector.h"

#include <QRandomGenerator>
#include <QTest>

using namespace qm;

class LayoutsTest : public QObject {
    Q_OBJECT

private slots:
    void unknownTypesLeaveTheOutputsUntouched() {
        TestWorkspace ws;
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        std::vector<FieldDef> fields(1);
        RecordInfo info;
        fields[0].FieldName = "kept";
        info.FieldCount = 42;
        for (const char* type : {"ZZ9", "aa0", "AA", "AA0 "}) {
            QVERIFY(ws.layouts->GetRecordLayout(type, fields, info));
            QCOMPARE(fields[0].FieldName, std::string("kept"));
            QCOMPARE(int(info.FieldCount), 42);
        }
        QVERIFY(ws.layouts->GetRecordLayout("AA0", fields, info));
        QCOMPARE(int(info.FieldCount), 4);
        QCOMPARE(fields[0].FieldName, std::string("RECORD ID"));
    }

    // Layouts are a value: a later load makes a new catalogue and leaves the
    // one a holder kept as it was.
    void loadedLayoutsAreValues() {
        TestWorkspace ws;
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        const std::shared_ptr<const LayoutCatalogue> kept = ws.layouts;
        ws.write("nsf0301.map", "CA0,01.0,ID,3,X,1,3\n");
        QVERIFY(LoadMapFile(ws.mapFolders, "nsf0301.map", ws.sink, ws.layouts));
        QCOMPARE(ws.layouts->find("CA0")->fieldCount(), 1);
        QCOMPARE(kept->find("CA0")->fieldCount(), 5);
        QVERIFY(kept != ws.layouts);
    }

    void catalogueOrder() {
        QCOMPARE(int(kRecordTypes.size()), 32);
        QCOMPARE(recordTypeIndex("AA0"), 0);
        QCOMPARE(recordTypeIndex("XA0"), 29);
        QCOMPARE(recordTypeIndex("ZA0"), 31);
        QCOMPARE(recordTypeIndex("ca0"), -1);
    }

    void fieldCheck_data() {
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        auto row = [](const char* name, const char* c, const char* v, bool ok) {
            QTest::newRow(name) << QString::fromLatin1(c) << QString::fromLatin1(v) << ok;
        };
        row("N blank", "N", "     ", true);
        row("NR blank", "NR", "     ", false);
        row("NR padded", "NR", "  12  ", true);
        row("N letters", "N", "12A", false);
        row("N signed decimal", "N", "-12.50", true);
        row("N plus", "N", "+7", true);
        row("N two points", "N", "1.2.3", false);
        row("N lone sign", "N", "-", false);
        row("N lone point", "N", ".", false);
        row("N thousands", "N", "1,000", false);
        row("N exponent", "N", "1E5", false);
        row("N currency", "N", "$5", false);
        row("N inner blank", "N", "1 2", false);
        row("D zeros", "D", "00000000", true);
        row("DR zeros", "DR", "00000000", false);
        row("DR padded zeros", "DR", " 00000000", false);
        row("D leap day", "D", "20000229", true);
        row("D no leap", "D", "20010229", false);
        row("D 1900 not leap", "D", "19000229", false);
        row("D seven chars", "D", "2001023", true);
        row("D month 13", "D", "20011301", false);
        row("D day 0", "D", "20010100", false);
        row("D april 31", "D", "20010431", false);
        row("D year 0", "D", "00000101", false);
        row("D letters", "D", "2001AB01", false);
        row("D blank", "D", "        ", true);
        row("D short", "D", "2001", false);
        row("XR blank", "XR", "   ", false);
        row("X anything", "X", "anything", true);
        row("R a", "R", "a", true);
        row("lower case ignored", "nr", "   ", true);
        row("N decides over D", "ND", "20010101", true);
        row("N decides over D bad", "DN", "2001-01-01", false);
        row("empty codes", "", "", true);
        row("tab is not blank", "XR", "\t", true);
    }

    void fieldCheck() {
        QFETCH(QString, codes);
        QFETCH(QString, value);
        QFETCH(bool, valid);
        QCOMPARE(IsValidFieldValue(codes.toStdString(), value.toStdString()), valid);
    }

    // The fast paths for short values agree with the rule as written, on
    // values made of what numbers and dates are made of.
    void fastPathsAgreeWithTheRule() {
        auto reference = [](std::string_view codes, std::string_view value) {
            const bool n = codes.find('N') != std::string_view::npos;
            const bool r = codes.find('R') != std::string_view::npos;
            const bool d = codes.find('D') != std::string_view::npos;
            const std::string_view trimmed = trimSpaces(value);
            if (n)
                return trimmed.empty() ? !r : isNumberText(trimmed);
            if (d) {
                if (trimmed.empty() || value == "00000000")
                    return !r;
                return isDateText(columns(value, 5, 2), columns(value, 7, 2), columns(value, 1, 4));
            }
            return !(r && trimmed.empty());
        };
        QRandomGenerator random(42);
        const char alphabet[] = " 0123456789.-+A";
        for (int i = 0; i < 200000; ++i) {
            std::string value(std::size_t(random.bounded(11)), ' ');
            for (char& c : value)
                c = alphabet[random.bounded(int(sizeof alphabet - 1))];
            if (i % 3 == 0 && value.size() == 8)
                value.replace(0, 4, "2004"); // dates that may be real
            for (const char* codes : {"N", "NR", "D", "DR", "XR"})
                QVERIFY2(IsValidFieldValue(codes, value) == reference(codes, value),
                         (std::string(codes) + " [" + value + "]").c_str());
        }
    }

    void versionDetection() {
        using B = ClaimFileBuilder;
        TestWorkspace ws;
        ws.write("nsf0200.map", "AA0,01.0,OLD ID,3,X,1,3\n");
        ws.write("third.nsf", B().add(rec::ba0()).add(B::record("ZZZ")).add(rec::aa0()).bytes());
        SequentialFile third;
        QVERIFY(third.open(ws.path("third.nsf")));
        const VersionDetection found = DetectFileVersion(third, ws.mapFolders, ws.sink, ws.layouts);
        QVERIFY(found.result == VersionDetection::Result::Found);
        QCOMPARE(int(ws.layouts->find("AA0")->fieldCount()), 4);
        // The read position is left just after the AA0 record.
        QCOMPARE(third.position(), 3 * 322LL + 1);

        // A version 2.00 file replaces every layout of the earlier map.
        ws.write("old.nsf", B().add(rec::aa0("S", "00200")).bytes());
        QVERIFY(ws.open("old.nsf"));
        QCOMPARE(int(ws.layouts->find("AA0")->fieldCount()), 1);
        QCOMPARE(int(ws.layouts->find("XA0")->fieldCount()), 0);

        // An unknown or shortened code loads nothing: the catalogue keeps the last map.
        ws.write("v300.nsf", B().add(rec::aa0("S", "00300")).bytes());
        QVERIFY(ws.open("v300.nsf"));
        QCOMPARE(int(ws.layouts->find("AA0")->fieldCount()), 1);
        ws.write("short.nsf", B().add(B::record("AA0", {{244, "00301"}}, 246)).bytes());
        QVERIFY(ws.open("short.nsf"));
        QCOMPARE(ws.result.versionCode, std::string("003"));
        QCOMPARE(int(ws.layouts->find("AA0")->fieldCount()), 1);
        QVERIFY(ws.sink.messages.empty());
    }

    void filesWithoutFileHeader() {
        using B = ClaimFileBuilder;
        TestWorkspace ws;
        ws.write("empty.nsf", "");
        QVERIFY(!ws.open("empty.nsf"));
        ws.write("lower.nsf", B().add(B::record("aa0", {{244, "00301"}})).bytes());
        QVERIFY(!ws.open("lower.nsf"));
        ws.write("blank.nsf", B().add(" " + rec::aa0()).bytes());
        QVERIFY(!ws.open("blank.nsf"));
        ws.write("binary.nsf", std::string("\0\0\0\xff\x01", 5) + std::string(5000, '\0'));
        QVERIFY(!ws.open("binary.nsf"));
        // Each said so, and no map was loaded.
        QCOMPARE(ws.sink.messages.size(), std::size_t(4));
        for (const Message& message : ws.sink.messages)
            QCOMPARE(message.text, MessageTexts::notAnNsfFile().text);
        QCOMPARE(int(ws.layouts->find("AA0")->fieldCount()), 0);
    }

    void missingMapFailsTheOpenWithItsMessage() {
        TestWorkspace ws;
        ws.write("v200.nsf", ClaimFileBuilder().add(rec::aa0("S", "00200")).bytes());
        QVERIFY(!ws.open("v200.nsf"));
        QCOMPARE(ws.sink.messages.size(), std::size_t(1));
        QCOMPARE(ws.sink.messages[0].text,
                 "Unable to open map file: nsf0200.map\n\nLooked for it at:\n" + ws.folder +
                     "/nsf0200.map\n\n" + MessageTexts::mapFolderHint());
        QCOMPARE(ws.sink.messages[0].title, std::string("Error Opening Map File"));
        QCOMPARE(ws.sink.messages[0].icon, MessageIcon::Critical);
    }
};

QTEST_GUILESS_MAIN(LayoutsTest)
#include "LayoutsTest.moc"

// The shipped map files, loaded through the core's own loader: the rest of the
// program relies on every record type being laid out completely and on the
// fields the claim totals and the occurrence numbering look up.
#include "core/common/RecordingMessageSink.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/MapLoader.h"

#include <QTest>
#include <memory>
#include <set>
#include <string>

using namespace qm;

namespace {

const std::set<std::string> kRepeating = {"DA0", "DA1", "DA2", "FA0", "FB0", "FB1", "FB2",
                                          "FB3", "FD0", "FE0", "GA0", "GC0", "GD0", "GD1",
                                          "GP0", "GU0", "GX0", "GX1", "GX2", "HA0"};

std::string fieldId(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n) + ".0";
}

} // namespace

class MapFilesTest : public QObject {
    Q_OBJECT

    std::shared_ptr<const LayoutCatalogue> load() {
        QFETCH(QString, mapFile);
        std::shared_ptr<const LayoutCatalogue> m;
        RecordingMessageSink sink;
        const bool ok = LoadMapFile({MAPS_DIR}, mapFile.toStdString(), sink, m);
        for (const Message& msg : sink.messages)
            qWarning("%s: %s", msg.title.c_str(), msg.text.c_str());
        if (!ok || !sink.messages.empty())
            return nullptr;
        return m;
    }

    static const FieldDef* field(const LayoutCatalogue& m, const char* type,
                                 const std::string& id) {
        const RecordLayout* layout = m.find(type);
        const int index = layout ? layout->indexOf(id) : -1;
        return index >= 0 ? &layout->field(index) : nullptr;
    }

    static void bothMaps() {
        QTest::addColumn<QString>("mapFile");
        QTest::newRow("3.01") << QStringLiteral("nsf0301.map");
        QTest::newRow("2.00") << QStringLiteral("nsf0200.map");
    }

private slots:
    // The format file beside each map names only fields the map has, reads
    // whole, dates 8 wide, money and tenths in number fields; the trailer's
    // amounts are money and its counts plain.
    void formatFileAgreesWithItsMap_data() { bothMaps(); }
    void formatFileAgreesWithItsMap() {
        QFETCH(QString, mapFile);
        const std::string formatFile = mapFile.chopped(4).toStdString() + ".fmt";
        std::shared_ptr<const LayoutCatalogue> m;
        RecordingMessageSink sink;
        QVERIFY(LoadMapFile({MAPS_DIR}, mapFile.toStdString(), sink, m, formatFile));
        for (const std::string& warning : m->warnings())
            QVERIFY2(warning.rfind(formatFile, 0) != 0, warning.c_str());
        int formatted = 0;
        for (const std::string_view type : kRecordTypes) {
            const RecordLayout& layout = *m->find(type);
            for (int i = 0; i < layout.fieldCount(); ++i) {
                const FieldDef& f = layout.field(i);
                const FieldFormat::Kind kind = layout.format(i).kind();
                const QByteArray at = QByteArray::fromStdString(f.RecordType + ' ' + f.FieldId);
                if (kind == FieldFormat::Kind::Date)
                    QVERIFY2(f.Length == 8, at.constData());
                if (kind == FieldFormat::Kind::Money || kind == FieldFormat::Kind::Tenths)
                    QVERIFY2(f.TypeCodes.find('N') != std::string::npos, at.constData());
                if (kind == FieldFormat::Kind::Code)
                    QVERIFY2(!layout.format(i).meanings().empty(), at.constData());
                formatted += kind != FieldFormat::Kind::Plain;
            }
        }
        QVERIFY(formatted > 50);
        const RecordLayout& xa0 = *m->find("XA0");
        for (int n = 4; n <= 20; ++n)
            QCOMPARE(xa0.format(xa0.indexOf(fieldId(n))).kind(),
                     n >= 12 ? FieldFormat::Kind::Money : FieldFormat::Kind::Plain);
        QCOMPARE(m->find("CA0")->format(m->find("CA0")->indexOf("08.0")).kind(),
                 FieldFormat::Kind::Date);
    }

    void everyTypeCoversColumns1To320_data() { bothMaps(); }
    void everyTypeCoversColumns1To320() {
        auto m = load();
        QVERIFY(m);
        for (const std::string_view type : kRecordTypes) {
            const RecordLayout& layout = *m->find(type);
            const int count = layout.fieldCount();
            const QByteArray where = QByteArray(type.data(), int(type.size()));
            QVERIFY2(count >= 2 && count <= kMaxFields, where.constData());
            int next = 1;
            for (int i = 1; i <= count; ++i) {
                const FieldDef& f = layout.field(i - 1);
                const QByteArray at = where + ' ' + QByteArray::fromStdString(f.FieldId);
                QCOMPARE(f.RecordType, std::string(type));
                QVERIFY2(f.FieldId == fieldId(i), at.constData());
                QVERIFY2(f.StartPos == next, at.constData()); // no gap, no overlap
                QVERIFY2(f.EndPos >= f.StartPos, at.constData());
                QVERIFY2(f.Length == f.EndPos - f.StartPos + 1, at.constData());
                QVERIFY2(!f.FieldName.empty(), at.constData());
                next = f.EndPos + 1;
            }
            QVERIFY2(next == 321, where.constData());
            QVERIFY2(layout.field(0).FieldName == "Record ID" && layout.field(0).EndPos == 3,
                     where.constData());
        }
    }

    void typeLettersAreUpperCaseXNDR_data() { bothMaps(); }
    void typeLettersAreUpperCaseXNDR() {
        auto m = load();
        QVERIFY(m);
        for (const std::string_view type : kRecordTypes) {
            const RecordLayout& layout = *m->find(type);
            for (int i = 1; i <= layout.fieldCount(); ++i) {
                const FieldDef& f = layout.field(i - 1);
                const QByteArray at = QByteArray::fromStdString(f.RecordType + " " + f.FieldId +
                                                                " [" + f.TypeCodes + "]");
                QVERIFY2(!f.TypeCodes.empty(), at.constData());
                QVERIFY2(f.TypeCodes.find_first_not_of("XNDR") == std::string::npos,
                         at.constData());
                // A date is eight characters; a numeric field is never also a date.
                if (f.TypeCodes.find('D') != std::string::npos)
                    QVERIFY2(f.Length == 8 && f.TypeCodes.find('N') == std::string::npos,
                             at.constData());
            }
            QCOMPARE(layout.field(0).TypeCodes, std::string("XR"));
        }
    }

    void totalsFieldsAreNumeric_data() { bothMaps(); }
    void totalsFieldsAreNumeric() {
        auto m = load();
        QVERIFY(m);
        struct Need {
            const char* type;
            std::set<int> ids;
        };
        const Need needed[] = {{"XA0", {4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 20}},
                               {"FA0", {13, 27, 28}},
                               {"FB0", {5, 6, 7, 8}},
                               {"DA1", {14}}};
        for (const Need& n : needed) {
            for (int id : n.ids) {
                const FieldDef* f = field(*m, n.type, fieldId(id));
                const QByteArray at =
                    QByteArray(n.type) + ' ' + QByteArray::fromStdString(fieldId(id));
                QVERIFY2(f, at.constData());
                QVERIFY2(f->TypeCodes.find('N') != std::string::npos, at.constData());
            }
        }
        // The trailer's record counts are two digits each and three in all.
        for (int id = 4; id <= 9; ++id)
            QCOMPARE(int(field(*m, "XA0", fieldId(id))->Length), 2);
        QCOMPARE(int(field(*m, "XA0", "10.0")->Length), 3);
        QCOMPARE(int(field(*m, "XA0", "12.0")->StartPos), 78);
        QCOMPARE(int(field(*m, "FA0", "13.0")->StartPos), 71);
        QCOMPARE(int(field(*m, "DA1", "14.0")->StartPos), 149);
    }

    void sequenceNoMarksExactlyTheRepeatingTypes_data() { bothMaps(); }
    void sequenceNoMarksExactlyTheRepeatingTypes() {
        auto m = load();
        QVERIFY(m);
        for (const std::string_view type : kRecordTypes) {
            const RecordLayout& layout = *m->find(type);
            const bool repeats = kRepeating.count(std::string(type)) > 0;
            const QByteArray where = QByteArray(type.data(), int(type.size()));
            QVERIFY2(layout.repeats() == repeats, where.constData());
            int named = 0;
            for (int i = 1; i <= layout.fieldCount(); ++i)
                if (layout.field(i - 1).FieldName == "SEQUENCE NO")
                    ++named;
            QVERIFY2(named == (repeats ? 1 : 0), where.constData());
            if (repeats) {
                const FieldDef& seq = layout.field(1);
                QCOMPARE(seq.FieldName, std::string("SEQUENCE NO"));
                QVERIFY2(seq.StartPos == 4 && seq.EndPos == 5, where.constData());
                QVERIFY2(seq.TypeCodes.find('N') != std::string::npos, where.constData());
            }
        }
        // The claim form hangs its nodes under plain "AA0", "BA0" and "CA0" keys.
        for (const char* plain : {"AA0", "BA0", "BA1", "CA0", "XA0", "YA0", "ZA0"})
            QVERIFY2(!m->find(plain)->repeats(), plain);
    }

    void versionCodeAndBatchLength_data() { bothMaps(); }
    void versionCodeAndBatchLength() {
        auto m = load();
        QVERIFY(m);
        const FieldDef* version = field(*m, "AA0", "19.0");
        QVERIFY(version);
        QCOMPARE(int(version->StartPos), 244);
        QCOMPARE(int(version->EndPos), 248);
        QCOMPARE(version->FieldName, std::string("Version Code-National"));
        // The BA1 lookup steps over a BA0 line by its last field's end column.
        const RecordLayout& ba0 = *m->find("BA0");
        QCOMPARE(int(ba0.field(ba0.fieldCount() - 1).EndPos), 320);
        // The file tree texts read these columns.
        QCOMPARE(int(field(*m, "CA0", "04.0")->StartPos), 23);
        QCOMPARE(int(field(*m, "CA0", "05.0")->StartPos), 43);
        QCOMPARE(int(field(*m, "BA0", "18.0")->StartPos), 165);
        QCOMPARE(int(field(*m, "BA0", "19.0")->StartPos), 198);
        QCOMPARE(int(field(*m, "BA0", "20.0")->StartPos), 218);
    }

    // The versions differ where the layout notes say they do, and only there.
    void versionsDifferOnlyInKnownTypes() {
        std::shared_ptr<const LayoutCatalogue> m301, m200;
        RecordingMessageSink sink;
        QVERIFY(LoadMapFile({MAPS_DIR}, "nsf0301.map", sink, m301));
        QVERIFY(LoadMapFile({MAPS_DIR}, "nsf0200.map", sink, m200));
        const std::set<std::string> differing = {"AA0", "BA0", "DA0", "DA1", "EA0", "EA1"};
        for (const std::string_view type : kRecordTypes) {
            const RecordLayout& a = *m301->find(type);
            const RecordLayout& b = *m200->find(type);
            bool same = a.fieldCount() == b.fieldCount();
            for (int i = 1; same && i <= a.fieldCount(); ++i) {
                const FieldDef& x = a.field(i - 1);
                const FieldDef& y = b.field(i - 1);
                same = x.FieldId == y.FieldId && x.FieldName == y.FieldName &&
                       x.StartPos == y.StartPos && x.EndPos == y.EndPos &&
                       x.TypeCodes == y.TypeCodes;
            }
            QVERIFY2(same != (differing.count(std::string(type)) > 0), std::string(type).c_str());
        }
        // 2.00 numbers the EA0 fields after the referring provider two lower, same columns.
        QCOMPARE(int(field(*m200, "EA0", "30.0")->StartPos), 179);
        QCOMPARE(int(field(*m301, "EA0", "32.0")->StartPos), 179);
    }
};

QTEST_GUILESS_MAIN(MapFilesTest)
#include "MapFilesTest.moc"

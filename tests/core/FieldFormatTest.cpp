// How values read to a person: each format's wording of stored values, the
// format file read beside its map (one that is missing or damaged changes no
// field and says why once, never stopping the open), and the record types'
// names.
#include "core/layouts/FieldFormat.h"

#include "TestWorkspace.h"
#include "core/common/RecordingMessageSink.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/RecordTypes.h"

#include <QTest>

using namespace qm;
using Kind = FieldFormat::Kind;
Q_DECLARE_METATYPE(FieldFormat::Kind)

namespace {

// Fields of every kind a format names: numbers, a date, a code, text.
const char* const kMap = "AA0,01.0,\"Record ID\",3,XR,1,3\r\n"
                         "XA0,01.0,\"Record ID\",3,XR,1,3\r\n"
                         "XA0,12.0,\"Total Claim Charges\",7,N,4,10\r\n"
                         "XA0,13.0,\"Date\",8,D,11,18\r\n"
                         "XA0,14.0,\"Place\",2,X,19,20\r\n"
                         "XA0,15.0,\"Remarks\",7,X,21,27\r\n";

} // namespace

class FieldFormatTest : public QObject {
    Q_OBJECT

private slots:
    void valuesReadAsTheirFormatSays_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown"); // empty: shown as stored
        QTest::newRow("money") << Kind::Money << "0015751"
                               << "$157.51";
        QTest::newRow("money with blanks") << Kind::Money << " 0000000 "
                                           << "$0.00";
        QTest::newRow("money below zero") << Kind::Money << "-0000005"
                                          << "-$0.05";
        QTest::newRow("money in thousands") << Kind::Money << "123456789"
                                            << "$1,234,567.89";
        QTest::newRow("money with a point") << Kind::Money << "157.51"
                                            << "";
        QTest::newRow("money that is no number") << Kind::Money << "12A"
                                                 << "";
        QTest::newRow("blank money") << Kind::Money << "       "
                                     << "";
        QTest::newRow("tenths") << Kind::Tenths << "0015"
                                << "1.5";
        QTest::newRow("date") << Kind::Date << "19830602"
                              << "1983-06-02";
        QTest::newRow("no such day") << Kind::Date << "20010229"
                                     << "";
        QTest::newRow("zero date") << Kind::Date << "00000000"
                                   << "";
        QTest::newRow("date cut short") << Kind::Date << "1983060"
                                        << "";
        QTest::newRow("code") << Kind::Code << "11"
                              << "11 \u2014 Office";
        QTest::newRow("code without a meaning") << Kind::Code << "99"
                                                << "";
        QTest::newRow("plain") << Kind::Plain << "0015751"
                               << "";
    }

    void valuesReadAsTheirFormatSays() {
        QFETCH(Kind, kind);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        FieldFormat format(kind);
        format.addMeaning("11", "Office");
        QCOMPARE(QString::fromStdString(format.shown(value.toStdString())), shown);
    }

    void formatFileBesideTheMap_data() {
        QTest::addColumn<QByteArray>("formats"); // "-": no format file
        QTest::addColumn<QString>("warning");    // after "x.fmt", before "; values ..."; "-": none
        const QByteArray good = "# amounts\nXA0 12.0 money\n\nXA0 13.0 date\n"
                                "XA0 14.0 code 11 Office\r\nXA0 14.0 code 12   Home\n";
        QTest::newRow("read whole") << good << "";
        // As an editor may have saved it: CR alone once went unseen as one long comment.
        QTest::newRow("CR line ends")
            << QByteArray(good).replace("\r\n", "\n").replace('\n', '\r') << "";
        QTest::newRow("CR LF line ends")
            << QByteArray(good).replace("\r\n", "\n").replace("\n", "\r\n") << "";
        // A format file is optional: none is no warning.
        QTest::newRow("missing") << QByteArray("-") << "-";
        QTest::newRow("unknown record type")
            << QByteArray("ZZ9 01.0 money\n") << " line 1: 'ZZ9' is none of the 32 record types";
        QTest::newRow("no such field") << good + "XA0 99.0 money\n"
                                       << " line 7: x.map has no field XA0 99.0";
        QTest::newRow("unknown format") << QByteArray("XA0 12.0 euros\n")
                                        << " line 1: 'euros' is no format (plain, money, "
                                           "tenths, date or code)";
        QTest::newRow("money in a text field") << QByteArray("XA0 15.0 money\n")
                                               << " line 1: money is for number (N) fields; XA0 "
                                                  "15.0 is not one";
        QTest::newRow("a date not 8 wide")
            << QByteArray("XA0 12.0 date\n")
            << " line 1: a date is 8 characters wide (CCYYMMDD); XA0 12.0 is 7";
        QTest::newRow("a code wider than its field")
            << QByteArray("XA0 14.0 code 123 Wide\n")
            << " line 1: the code '123' is wider than XA0 14.0 (2 characters)";
        QTest::newRow("a code without a meaning")
            << QByteArray("XA0 14.0 code 11\n")
            << " line 1: a code and its meaning are wanted after 'code'";
        QTest::newRow("a field given twice") << QByteArray("XA0 12.0 money\nXA0 12.0 tenths\n")
                                             << " line 2: XA0 12.0 has a format already, on line 1";
        QTest::newRow("words after a format")
            << QByteArray("XA0 12.0 money\nXA0 13.0 date please\n")
            << " line 2: nothing is wanted after the format 'date'";
        QTest::newRow("a control character")
            << QByteArray("XA0 14.0 code 11 Off\x1b[2Jice\n")
            << " line 1: the line holds a control character or bytes that are no UTF-8";
    }

    // A damaged or missing file changes no field: a line that does not agree
    // after good ones leaves those plain too.
    void formatFileBesideTheMap() {
        QFETCH(QByteArray, formats);
        QFETCH(QString, warning);
        TestWorkspace ws;
        ws.write("x.map", kMap);
        if (formats != "-")
            ws.write("x.fmt", formats.toStdString());
        QVERIFY(LoadMapFile(ws.mapFolders, "x.map", ws.sink, ws.layouts, "x.fmt"));
        QVERIFY(ws.sink.messages.empty());
        const RecordLayout& xa0 = *ws.layouts->find("XA0");
        if (warning == QLatin1String("-")) {
            QVERIFY(ws.layouts->warnings().empty());
            for (int i = 0; i < xa0.fieldCount(); ++i)
                QCOMPARE(xa0.format(i).kind(), Kind::Plain);
            return;
        }
        if (warning.isEmpty()) {
            QVERIFY(ws.layouts->warnings().empty());
            QCOMPARE(xa0.format(xa0.indexOf("12.0")).shown("0015751"), std::string("$157.51"));
            QCOMPARE(xa0.format(xa0.indexOf("13.0")).kind(), Kind::Date);
            QCOMPARE(xa0.format(xa0.indexOf("14.0")).shown("12"), std::string("12 \u2014 Home"));
            QCOMPARE(xa0.format(xa0.indexOf("15.0")).kind(), Kind::Plain);
            return;
        }
        QCOMPARE(ws.layouts->warnings().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ws.layouts->warnings().front()),
                 QStringLiteral("x.fmt") + warning.arg(QString::fromStdString(ws.folder)) +
                     QStringLiteral("; values are shown as stored"));
        for (int i = 0; i < xa0.fieldCount(); ++i)
            QCOMPARE(xa0.format(i).kind(), Kind::Plain);
    }

    void recordTypesHaveNames() {
        QCOMPARE(recordTypeName("CA0"), std::string_view("Claim header"));
        QCOMPARE(recordTypeName("XA0"), std::string_view("Claim trailer"));
        QCOMPARE(recordTypeName("ZA0"), std::string_view("File trailer"));
        QVERIFY(recordTypeName("ca0").empty());
        for (const std::string_view name : kRecordTypeNames)
            QVERIFY(!name.empty());
    }
};

QTEST_APPLESS_MAIN(FieldFormatTest)
#include "FieldFormatTest.moc"

#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/common/FileText.h"
#include "core/filetree/TreeBuilder.h"
#include "core/report/ClaimReport.h"
#include "core/report/CsvWriter.h"

#include <QTest>
#include <algorithm>
#include <sstream>

using namespace qm;
using B = ClaimFileBuilder;

namespace {

// Rows of RFC 4180 text: CR LF ends a row, a quoted field may hold anything
// with its quotes doubled. Null when the text breaks the rules.
std::optional<QList<QStringList>> parseCsv(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += text.at(++i);
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n")) {
            rows << (row << field);
            row.clear();
            field.clear();
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            return std::nullopt;
        } else {
            field += c;
        }
    }
    if (quoted || !row.isEmpty() || !field.isEmpty())
        return std::nullopt;
    return rows;
}

QString utf8(std::string_view bytes) {
    return QString::fromStdString(FileText::toUtf8(bytes));
}

} // namespace

// The CSV writer's quoting, and a claim written as CSV read back field by field.
class ClaimCsvTest : public QObject {
    Q_OBJECT

private slots:
    void fieldsAreQuotedOnlyWhenTheyMustBe_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << QByteArray("DOE") << QByteArray("DOE");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("blanks kept") << QByteArray("  A  ") << QByteArray("  A  ");
        QTest::newRow("comma") << QByteArray("DOE, JANE") << QByteArray("\"DOE, JANE\"");
        QTest::newRow("quote") << QByteArray("O\"NEIL") << QByteArray("\"O\"\"NEIL\"");
        QTest::newRow("line feed") << QByteArray("A\nB") << QByteArray("\"A\nB\"");
        QTest::newRow("carriage return") << QByteArray("A\rB") << QByteArray("\"A\rB\"");
        QTest::newRow("file byte") << QByteArray("\x80\xD1") << QByteArray("\xE2\x82\xAC\xC3\x91");
    }

    void fieldsAreQuotedOnlyWhenTheyMustBe() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, written);
        std::ostringstream out;
        CsvWriter csv(out, {"a", "b"});
        csv.fileField(value.toStdString()).field(std::int64_t(-12)).endRow();
        QCOMPARE(QByteArray::fromStdString(out.str()), "a,b\r\n" + written + ",-12\r\n");
        const auto rows = parseCsv(QByteArray::fromStdString(out.str()));
        QVERIFY(rows);
        QCOMPARE(rows->value(1), (QStringList{utf8(value.toStdString()), QStringLiteral("-12")}));
    }

    // Cells a spreadsheet would run as a formula are written as text; numbers
    // stay numbers, whether a field's value or a count.
    void formulasAreWrittenAsText_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("equals") << QByteArray("=cmd|'/c calc'!A1")
                                << QByteArray("'=cmd|'/c calc'!A1");
        QTest::newRow("at") << QByteArray("@SUM(1+1)") << QByteArray("'@SUM(1+1)");
        QTest::newRow("plus") << QByteArray("+1+1") << QByteArray("'+1+1");
        QTest::newRow("minus, quoted")
            << QByteArray("-2+3+HYPERLINK(\"x\")") << QByteArray("\"'-2+3+HYPERLINK(\"\"x\"\")\"");
        QTest::newRow("tab") << QByteArray("\t=1+1") << QByteArray("'\t=1+1");
        QTest::newRow("carriage return") << QByteArray("\r=1+1") << QByteArray("\"'\r=1+1\"");
        QTest::newRow("equals with comma") << QByteArray("=1,2") << QByteArray("\"'=1,2\"");
        QTest::newRow("minus alone") << QByteArray("-") << QByteArray("'-");
        QTest::newRow("minus, blanks") << QByteArray("-  ") << QByteArray("'-  ");
        QTest::newRow("negative amount") << QByteArray("-1575") << QByteArray("-1575");
        QTest::newRow("padded amount") << QByteArray("-0001575   ") << QByteArray("-0001575   ");
        QTest::newRow("signed decimal") << QByteArray("+157.51") << QByteArray("+157.51");
        QTest::newRow("two points") << QByteArray("-1.2.3") << QByteArray("'-1.2.3");
        QTest::newRow("number then text") << QByteArray("-12E3") << QByteArray("'-12E3");
        QTest::newRow("formula later") << QByteArray("A=1+1") << QByteArray("A=1+1");
        QTest::newRow("blank first") << QByteArray(" =1+1") << QByteArray(" =1+1");
        QTest::newRow("apostrophe") << QByteArray("'=1") << QByteArray("'=1");
    }

    void formulasAreWrittenAsText() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, written);
        std::ostringstream out;
        CsvWriter csv(out, {"=a", "b"});
        csv.fileField(value.toStdString()).field(std::int64_t(-12)).endRow();
        QCOMPARE(QByteArray::fromStdString(out.str()), "'=a,b\r\n" + written + ",-12\r\n");
    }

    void claimReadsBackFieldByField() {
        TestWorkspace ws;
        // A name with a comma, a quote and a letter beyond ASCII.
        const std::string name = "O\"BRIEN, \xD1";
        ws.write("c.nsf", B().add(rec::aa0())
                              .add(rec::ba0())
                              .add(rec::ca0("CLAIM1", name))
                              .add(rec::fa0(1, 1000))
                              .add(rec::fa0(2, 2000))
                              .add(rec::xa0({1, 0, 0, 2, 0, 0, -1, 3000}))
                              .add(rec::ya0())
                              .add(rec::za0())
                              .bytes());
        QVERIFY(ws.open("c.nsf"));
        const FileTree& tree = ws.buildTree();
        const AssembledClaim claim = NodeClick(*ws.file, *tree.findKey("CA0645"));
        QVERIFY(claim.acted);

        std::ostringstream out;
        ClaimReport::writeCsv(out, claim);
        const auto rows = parseCsv(QByteArray::fromStdString(out.str()));
        QVERIFY(rows);
        QCOMPARE(rows->value(0).join(QLatin1Char(',')),
                 QStringLiteral(
                     "node,record_type,occurrence,field,name,start,end,value,valid,shown,amount"));
        qsizetype at = 1;
        for (const ClaimNode& node : claim.nodes) {
            const AssembledRecord* record = claim.record(node);
            QVERIFY(record);
            const RecordLayout& layout = *claim.layout(*record);
            for (int i = 0; i < layout.fieldCount(); ++i, ++at) {
                const FieldDef& field = layout.field(i);
                const std::string shown = layout.format(i).shown(record->value(i));
                QCOMPARE(
                    rows->value(at),
                    (QStringList{
                        utf8(node.key), utf8(record->type), QString::number(record->occurrence),
                        utf8(field.FieldId), utf8(field.FieldName), QString::number(field.StartPos),
                        QString::number(field.EndPos), utf8(record->value(i)),
                        QLatin1String(record->valid(i) ? "true" : "false"),
                        shown.empty() ? utf8(record->value(i)).trimmed()
                                      : QString::fromStdString(shown),
                        QString::fromStdString(layout.format(i).amount(record->value(i)))}));
            }
        }
        QCOMPARE(rows->size(), at);
        const auto hasName = [&](const QStringList& row) {
            return row.value(7).trimmed() == utf8(name);
        };
        QVERIFY(std::any_of(rows->cbegin(), rows->cend(), hasName));
    }
};

QTEST_MAIN(ClaimCsvTest)
#include "ClaimCsvTest.moc"

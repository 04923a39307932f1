#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "PdfTools.h"
#include "TestWorkspace.h"
#include "TwoBatchFile.h"
#include "core/check/ProblemCollector.h"
#include "core/claim/NodeClick.h"
#include "core/filetree/TreeBuilder.h"
#include "print/ClaimRows.h"
#include "print/ModelRows.h"
#include "print/PageFrame.h"
#include "print/ProblemRows.h"
#include "print/TableDocument.h"

#include <QImage>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

// The page renderers, read back from the PDFs they write: every page framed
// and numbered, the texts in order, the paper asked for, turned for a wide
// table, only the first pages when asked, and cancelled when asked.
class PrintTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};
    TwoBatchFile two{records};
    std::shared_ptr<qm::OpenClaimFile> claims;
    std::shared_ptr<qm::OpenClaimFile> faults;

    static std::shared_ptr<qm::OpenClaimFile> open(const QString& path) {
        auto file = TestWorkspace::openFile(path.toStdString(), {MAPS_DIR});
        if (file)
            file->setTree(std::make_shared<const qm::FileTree>(qm::BuildTree(file->reader())));
        return file;
    }
    static PrintOptions options() {
        PrintOptions options;
        options.fileName = QStringLiteral("claims.nsf");
        options.title = QStringLiteral("A printout");
        options.printed = QDateTime(QDate(2024, 3, 15), QTime(14, 5));
        return options;
    }
    // Prints document to a PDF of its own on this paper.
    QString print(TableDocument& document, const QPageSize& paper,
                  const PrintOptions& printOptions = options(),
                  TableDocument::Outcome expected = TableDocument::Outcome::Printed) {
        static int n = 0;
        const QString path = dir.filePath(QStringLiteral("out%1.pdf").arg(++n));
        {
            QPdfWriter writer(path);
            PageFrame::setUp(writer, paper);
            const TableDocument::Outcome outcome = document.printAll(writer, printOptions);
            if (outcome != expected)
                qWarning("printing came out %d", int(outcome));
        }
        return path;
    }
    // "W x H" of the first page, in whole points.
    static QString size(const QString& path) {
        const QStringList parts = PdfTools::info(path, QStringLiteral("Page size"))
                                      .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return parts.size() < 3 ? QString()
                                : QStringLiteral("%1 x %2")
                                      .arg(qRound(parts[0].toDouble()))
                                      .arg(qRound(parts[2].toDouble()));
    }
    // Every page framed, numbered n of m, in order; the pages' text in one.
    static QString framedPages(const QString& path, std::int64_t pages) {
        const QStringList text = PdfTools::pages(path);
        if (text.size() != pages ||
            PdfTools::info(path, QStringLiteral("Pages")).toLongLong() != pages) {
            qWarning("%lld pages counted, %lld in the PDF", qlonglong(pages),
                     qlonglong(text.size()));
            return QString();
        }
        for (int i = 0; i < text.size(); ++i)
            for (const QString& part :
                 {QStringLiteral("claims.nsf"), QStringLiteral("Printed 2024-03-15 14:05"),
                  QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages)})
                if (!text[i].contains(part)) {
                    qWarning("page %d lacks %s", i + 1, qPrintable(part));
                    return QString();
                }
        return text.join(QLatin1Char('\f'));
    }
    std::shared_ptr<const qm::ProblemStore> check(qm::OpenClaimFile& file) {
        auto store = std::make_shared<qm::ProblemStore>(file.tree());
        qm::ProblemCollector collector(*file.tree());
        store->finish(qm::FileCheck::run(file.reader(), file.layouts(), {}, collector));
        const qm::ProblemStore::Pending rows = collector.take();
        store->append(rows, 0, rows.size());
        return store;
    }
    std::unique_ptr<ClaimRows> claim(const std::string& key, ClaimRows::Mark mark = {}) {
        const auto node = claims->tree()->findKey(key);
        return std::make_unique<ClaimRows>(
            std::make_shared<const qm::AssembledClaim>(qm::NodeClick(*claims, node.value_or(-1))),
            std::move(mark));
    }
    static ClaimRows::Place place(const std::string& key, const QString& text) {
        return {QString::fromStdString(key), text, QString(), QStringLiteral("/data/claims.nsf")};
    }

private slots:
    void initTestCase() {
        QVERIFY2(PdfTools::available(), "install poppler-utils (pdftotext, pdfinfo)");
        const QString claimsPath = dir.filePath(QStringLiteral("claims.nsf"));
        two.text.write(claimsPath);
        claims = open(claimsPath);
        // Four batches of claims that have no XA0: a row each, many pages of them.
        const QString faultsPath = dir.filePath(QStringLiteral("faults.nsf"));
        QVERIFY(GeneratedFiles::write({QStringLiteral("--version"), QStringLiteral("00301"),
                                       QStringLiteral("--claims"), QStringLiteral("240"),
                                       QStringLiteral("--batches"), QStringLiteral("4"),
                                       QStringLiteral("--bare-claims")},
                                      faultsPath));
        faults = open(faultsPath);
        QVERIFY(claims && faults);
    }

    void claimForm_data() {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QString>("size");
        QTest::newRow("A4") << QPageSize::A4 << QStringLiteral("595 x 842");
        QTest::newRow("Letter") << QPageSize::Letter << QStringLiteral("612 x 792");
    }
    void claimForm() {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QString, size);
        // Claim C's totals do not compute; claim A has two service lines.
        const auto c = claim(two.claimC);
        const auto a = claim(two.claimA);
        TableDocument document(
            {c->section(place(two.claimC, QStringLiteral("CA0: POE, EDGAR (C003)"))),
             a->section(place(two.claimA, QStringLiteral("CA0: DOE, JANE (A001)")))},
            TableDocument::Orientation::Portrait);
        const QString path = print(document, QPageSize(paper));
        QCOMPARE(::PrintTest::size(path), size);
        QVERIFY(document.pageCount() >= 3);
        const QString text = framedPages(path, document.pageCount());
        QVERIFY(PdfTools::inOrder(
            text,
            {QStringLiteral("CA0: POE, EDGAR (C003)"), QStringLiteral("/data/claims.nsf"),
             QStringLiteral("GENERAL CLINIC"), QStringLiteral("POE, EDGAR"), QStringLiteral("C003"),
             QStringLiteral("XA0 Record totals do not compute! (fields 12.0)"),
             QStringLiteral("Total Claim Charges: the XA0 states $1.01, the lines add up to $1.00"),
             QStringLiteral("CA0  Claim header"), QStringLiteral("Patient Last Name"),
             QStringLiteral("POE"), QStringLiteral("FA0-1  Service line, 1 of 1"),
             QStringLiteral("Line Charges"), QStringLiteral("$1.00"), QStringLiteral("0000100"),
             QStringLiteral("valid"), QStringLiteral("XA0  Claim trailer"),
             QStringLiteral("Total Claim Charges"), QStringLiteral("$1.01"),
             QStringLiteral("invalid"),
             // The second claim starts a page of its own.
             QStringLiteral("\f"), QStringLiteral("CA0: DOE, JANE (A001)"),
             QStringLiteral("Totals"), QStringLiteral("ok"),
             QStringLiteral("FA0-1  Service line, 1 of 2"),
             QStringLiteral("FA0-2  Service line, 2 of 2"), QStringLiteral("$25.00")}));
    }

    void markedField() {
        // The mark's colour shows on the page of the marked field, and only there.
        const qm::AssembledClaim click =
            qm::NodeClick(*claims, *claims->tree()->findKey(two.claimC));
        const int charges = click.layouts->find("FA0")->indexOf("13.0");
        for (const bool marked : {true, false}) {
            const auto c =
                claim(two.claimC, marked ? ClaimRows::Mark{"FA0-1", charges} : ClaimRows::Mark{});
            TableDocument document({c->section(place(two.claimC, QString()))},
                                   TableDocument::Orientation::Portrait);
            const QString path = print(document, QPageSize(QPageSize::A4));
            int markPixels = 0;
            for (int n = 1; n <= document.pageCount(); ++n) {
                const QImage page = PdfTools::render(path, n, 40);
                QVERIFY(!page.isNull());
                for (int y = 0; y < page.height(); ++y)
                    for (int x = 0; x < page.width(); ++x) {
                        const QColor pixel = page.pixelColor(x, y);
                        markPixels += qAbs(pixel.red() - 255) < 12 &&
                                      qAbs(pixel.green() - 230) < 12 &&
                                      qAbs(pixel.blue() - 128) < 12;
                    }
            }
            QCOMPARE(markPixels > 20, marked);
        }
    }

    void problems() {
        const auto store = check(*faults);
        QCOMPARE(store->size(), 240);
        const ProblemRows rows(store, faults->layouts());
        TableDocument document({rows.section(QStringLiteral("/data/faults.nsf"))},
                               TableDocument::Orientation::Landscape);
        const QString path = print(document, QPageSize(QPageSize::A4));
        QCOMPARE(size(path), QStringLiteral("842 x 595"));
        QVERIFY(document.pageCount() >= 5);
        const QString text = framedPages(path, document.pageCount());
        QCOMPARE(text.count(QStringLiteral("No XA0")), 240);
        // The file's figures first, then each batch's rows under its heading
        // (said again on a page the batch goes on to), in file order.
        const qm::FileTree& tree = *faults->tree();
        QStringList order{QStringLiteral("240 checked, 240 with problems"),
                          QStringLiteral("240 rows, grouped by batch"), QStringLiteral("Where")};
        for (std::int64_t batch : tree.batchNodes())
            order << QString::fromStdString(tree.key(batch)) + QStringLiteral("  BA0:");
        QVERIFY(PdfTools::inOrder(text, order));
        QVERIFY(text.contains(QStringLiteral(" (continued)")));
    }

    void firstPagesAndCancel() {
        const auto store = check(*faults);
        const ProblemRows rows(store, faults->layouts());
        TableDocument document({rows.section(QString())}, TableDocument::Orientation::Landscape);
        PrintOptions first = options();
        first.firstPages = 2;
        const QString path = print(document, QPageSize(QPageSize::Letter), first);
        const QStringList pages = PdfTools::pages(path);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[1].contains(QStringLiteral("Page 2 of 2")));
        QVERIFY(
            pages[1].contains(QStringLiteral("The first 2 of %1 pages").arg(document.pageCount())));

        PrintOptions cancelled = options();
        int asked = 0;
        cancelled.progress = [&asked](std::int64_t, std::int64_t) {
            return ++asked < 2;
        };
        print(document, QPageSize(QPageSize::A4), cancelled, TableDocument::Outcome::Cancelled);
        QCOMPARE(asked, 2);
    }

    void rowsAsShown_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("size");
        QTest::newRow("narrow: portrait") << 3 << QStringLiteral("595 x 842");
        QTest::newRow("wide: landscape") << 10 << QStringLiteral("842 x 595");
    }
    void rowsAsShown() {
        QFETCH(int, columns);
        QFETCH(QString, size);
        QStandardItemModel model(150, columns);
        for (int c = 0; c < columns; ++c)
            model.setHeaderData(c, Qt::Horizontal, QStringLiteral("Heading %1").arg(c));
        for (int r = 0; r < model.rowCount(); ++r)
            for (int c = 0; c < columns; ++c)
                model.setData(model.index(r, c), QStringLiteral("r%1c%2 value").arg(r).arg(c));
        const ModelRows rows(model);
        TableDocument document({rows.section(QStringLiteral("Claim List"))},
                               TableDocument::Orientation::Fit);
        const QString path = print(document, QPageSize(QPageSize::A4));
        QCOMPARE(::PrintTest::size(path), size);
        const QString text = framedPages(path, document.pageCount());
        QVERIFY(PdfTools::inOrder(text, {QStringLiteral("Claim List"), QStringLiteral("Heading 0"),
                                         QStringLiteral("r0c0 value"), QStringLiteral("r1c0 value"),
                                         QStringLiteral("r149c0 value")}));
    }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"

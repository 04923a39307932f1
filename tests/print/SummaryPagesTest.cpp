#include "print/charts/SummaryPages.h"

#include "PdfTools.h"
#include "print/PageFrame.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <memory>

// The File Summary on paper: the figures first, then its charts, at most two
// to a page, drawn as vectors (no picture in the PDF, and their labels are
// text), on framed pages.
class SummaryPagesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static std::unique_ptr<QChart> chart(const QString& title, const QStringList& categories) {
        auto made = std::make_unique<QChart>();
        made->setTitle(title);
        auto* set = new QBarSet(QStringLiteral("Claims"));
        for (int i = 0; i < categories.size(); ++i)
            *set << 10 * (i + 1);
        auto* series = new QBarSeries;
        series->append(set);
        made->addSeries(series);
        auto* x = new QBarCategoryAxis;
        x->append(categories);
        made->addAxis(x, Qt::AlignBottom);
        series->attachAxis(x);
        auto* y = new QValueAxis;
        made->addAxis(y, Qt::AlignLeft);
        series->attachAxis(y);
        made->resize(640, 360);
        return made;
    }

private slots:
    void figuresThenChartsAsVectors() {
        QVERIFY2(PdfTools::available(), "install poppler-utils (pdftotext, pdfinfo)");
        std::vector<std::unique_ptr<QChart>> charts;
        for (const QString& title :
             {QStringLiteral("Claims by month"), QStringLiteral("Claims by charges"),
              QStringLiteral("Problems by kind")})
            charts.push_back(chart(title, {QStringLiteral("2003-01"), QStringLiteral("2003-02")}));
        std::vector<QChart*> drawn;
        for (const auto& c : charts)
            drawn.push_back(c.get());

        PrintOptions options;
        options.fileName = QStringLiteral("claims.nsf");
        options.title = QStringLiteral("Summary of claims.nsf");
        const QString path = dir.filePath(QStringLiteral("summary.pdf"));
        {
            QPdfWriter writer(path);
            PageFrame::setUp(writer, QPageSize(QPageSize::Letter));
            QCOMPARE(SummaryPages::print(
                         writer, options,
                         {{QStringLiteral("Claims"), QStringLiteral("1,204")},
                          {QStringLiteral("Claim charges"), QStringLiteral("$12,345.67")}},
                         {QStringLiteral("2 claims have no XA0")}, drawn),
                     TableDocument::Outcome::Printed);
        }
        QVERIFY(PdfTools::info(path, QStringLiteral("Page size"))
                    .startsWith(QLatin1String("612 x 792")));
        QCOMPARE(PdfTools::imageCount(path), 0);
        const QStringList pages = PdfTools::pages(path);
        QCOMPARE(pages.size(), 2);
        const QString first = pages[0].simplified();
        for (const QString& part :
             {QStringLiteral("Page 1 of 2"), QStringLiteral("Summary of claims.nsf"),
              QStringLiteral("1,204"), QStringLiteral("$12,345.67"),
              QStringLiteral("2 claims have no XA0"), QStringLiteral("Claims by month"),
              QStringLiteral("2003-02")})
            QVERIFY2(first.contains(part), qPrintable(part));
        QVERIFY(first.indexOf(QStringLiteral("1,204")) <
                first.indexOf(QStringLiteral("Claims by month")));
        // The figures leave room for one chart on the first page; two go on the next.
        const QString second = pages[1].simplified();
        for (const QString& part :
             {QStringLiteral("Page 2 of 2"), QStringLiteral("Claims by charges"),
              QStringLiteral("Problems by kind")})
            QVERIFY2(second.contains(part), qPrintable(part));
    }
};

QTEST_MAIN(SummaryPagesTest)
#include "SummaryPagesTest.moc"

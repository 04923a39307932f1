#include "CliRunner.h"
#include "NsfRecords.h"
#include "PdfTools.h"
#include "TwoBatchFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// `claim ... --pdf` and `check ... --pdf`: the reports on pages, read back
// with poppler's tools, written only where the safe export may write.
class CliPdfTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};
    TwoBatchFile file{records};
    QString path;

    CliRunner::Result pdf(const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()} +
                              arguments);
    }
    static QString key(const std::string& k) { return QString::fromStdString(k); }
    static QByteArray contents(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY2(PdfTools::available(), "install poppler-utils (pdftotext, pdfinfo)");
        path = dir.filePath(QStringLiteral("claims.nsf"));
        file.text.write(path);
    }

    void claimPdf() {
        const QString out = dir.filePath(QStringLiteral("claim.pdf"));
        const auto r = pdf({QStringLiteral("claim"), path, key(file.claimC), key(file.claimA),
                            QStringLiteral("--pdf"), out, QStringLiteral("--paper"),
                            QStringLiteral("letter")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.isEmpty(), r.out.constData());
        QVERIFY(PdfTools::info(out, QStringLiteral("Page size"))
                    .startsWith(QLatin1String("612 x 792")));
        const QStringList pages = PdfTools::pages(out);
        QVERIFY(pages.size() >= 2);
        for (int i = 0; i < pages.size(); ++i)
            QVERIFY(
                pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
        QVERIFY(PdfTools::inOrder(pages.join(QLatin1Char('\f')),
                                  {QStringLiteral("claims.nsf"), QStringLiteral("POE, EDGAR"),
                                   QStringLiteral("XA0 Record totals do not compute!"),
                                   QStringLiteral("FA0-1  Service line, 1 of 1"),
                                   QStringLiteral("Line Charges"), QStringLiteral("$1.00"),
                                   QStringLiteral("DOE, JANE"),
                                   QStringLiteral("FA0-2  Service line, 2 of 2")}));
    }

    void checkPdf() {
        const QString out = dir.filePath(QStringLiteral("check.pdf"));
        const auto r = pdf({QStringLiteral("check"), path, QStringLiteral("--pdf"), out,
                            QStringLiteral("--paper"), QStringLiteral("a4")});
        // The check's own status: claim C's totals fail.
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        // The problems' columns are too many for a portrait page.
        QVERIFY(PdfTools::info(out, QStringLiteral("Page size"))
                    .startsWith(QLatin1String("842 x 595")));
        const QString text = PdfTools::pages(out).join(QLatin1Char('\f'));
        QVERIFY(PdfTools::inOrder(text, {QStringLiteral("Page 1 of 1"), QStringLiteral("Problems"),
                                         QStringLiteral("3 checked, 1 with problems"),
                                         key(file.batch2) + QStringLiteral("  BA0:"),
                                         QStringLiteral("Totals do not compute"),
                                         QStringLiteral("12.0")}));
        // Only the claims a filter chooses, and the figures say how many.
        const auto filtered = pdf({QStringLiteral("check"), path, QStringLiteral("--filter"),
                                   QStringLiteral("problem"), QStringLiteral("--pdf"), out});
        QCOMPARE(filtered.exitCode, 1);
        QVERIFY(PdfTools::inOrder(
            PdfTools::pages(out).join(QLatin1Char('\f')),
            {QStringLiteral("1 checked, 1 with problems"), QStringLiteral("1 row,"),
             QStringLiteral("problem: 1 of 3 claims match"), QStringLiteral("POE, EDGAR")}));
    }

    // Never onto the claim file or a pipe, and a bad target is said before
    // the file is read; what stood there is as it was.
    void refusedTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("claim file") << QStringLiteral("claims.nsf") << QStringLiteral("claim file");
        QTest::newRow("fifo") << QStringLiteral("fifo") << QStringLiteral("pipe");
        QTest::newRow("folder") << QStringLiteral(".") << QStringLiteral("folder");
    }
    void refusedTargets() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        if (!QFile::exists(fifo))
            QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QByteArray before = contents(path);
        for (const QString& command : {QStringLiteral("claim"), QStringLiteral("check")}) {
            QStringList arguments{command, path};
            if (command == QLatin1String("claim"))
                arguments << key(file.claimA);
            const auto r = pdf(arguments << QStringLiteral("--pdf") << dir.filePath(target));
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.errText().contains(QStringLiteral("cannot write")) &&
                         r.errText().contains(reason),
                     r.err.constData());
        }
        QCOMPARE(contents(path), before);
    }

    void optionsThatDoNotGo_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("json") << QStringList{QStringLiteral("--json"), QStringLiteral("check"),
                                             QStringLiteral("F"), QStringLiteral("--pdf"),
                                             QStringLiteral("o.pdf")};
        QTest::newRow("tree") << QStringList{QStringLiteral("tree"), QStringLiteral("F"),
                                             QStringLiteral("--pdf"), QStringLiteral("o.pdf")};
        QTest::newRow("paper") << QStringList{QStringLiteral("check"),   QStringLiteral("F"),
                                              QStringLiteral("--pdf"),   QStringLiteral("o.pdf"),
                                              QStringLiteral("--paper"), QStringLiteral("a3")};
        QTest::newRow("paper without pdf")
            << QStringList{QStringLiteral("check"), QStringLiteral("F"), QStringLiteral("--paper"),
                           QStringLiteral("a4")};
    }
    void optionsThatDoNotGo() {
        QFETCH(QStringList, arguments);
        const auto r = pdf(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.errText().contains(QStringLiteral("--p")), r.err.constData());
    }
};

QTEST_MAIN(CliPdfTest)
#include "CliPdfTest.moc"

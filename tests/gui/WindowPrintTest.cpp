// Printing from the viewer: File > Export as PDF writes what the active
// window shows (the claim form, the problems, the summary, search results),
// read back with poppler's tools; the commands are off with nothing to print,
// the open claim file is never written over, and a long printout asks how
// much to print and stops on Cancel.
#include "GeneratedFiles.h"
#include "GuiTest.h"
#include "PdfTools.h"
#include "core/filetree/FileTree.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/frmSearchFields.h"
#include "gui/shell/PrintCommands.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/frmSummary.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kWaitMs = 60000;
const QString kFaults = QStringLiteral(SAMPLES_DIR "/faults301.nsf");

} // namespace

class WindowPrintTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;

    // The viewer on file, its check done.
    bool start(const QString& file) {
        main_ = Startup::run(*context_, {file}, QStringLiteral(MAPS_DIR));
        main_->resize(1200, 900);
        return QTest::qWaitFor(
            [this] {
                const ClaimDocument* document = context_->document();
                return document && document->check().state() == ProblemMarks::State::Finished;
            },
            kWaitMs);
    }
    QAction* command(const char* name) const {
        return main_->findChild<QAction*>(QLatin1String(name));
    }
    // The main window's print commands, whose dialogs a test stands in for.
    PrintCommands& printCommands() { return *main_->findChild<PrintCommands*>(); }
    // Opens the window of a kind ("claim form", "problems", "summary",
    // "search results") and makes it the active one.
    bool show(const QString& kind);
    // File > Export as PDF to name in the test's folder; the path, or empty
    // when nothing was written.
    QString exportPdf(const QString& name) {
        const QString path = dir_->filePath(name);
        GuiTest::dialogs().setNextFileName(path);
        if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportPdf")))
            return QString();
        return QFile::exists(path) ? path : QString();
    }

private slots:
    void initTestCase() {
        GuiTest::initTestCase();
        QVERIFY2(PdfTools::available(), "install poppler-utils (pdftotext, pdfinfo)");
    }
    void init() {
        dir_ = GuiTest::isolatedFolder();
        context_ = GuiTest::context();
    }
    void cleanup() {
        main_.reset();
        context_.reset();
        GuiTest::release();
        dir_.reset();
    }

    void commandsNeedSomethingToPrint();
    void exportWritesWhatTheWindowShows_data();
    void exportWritesWhatTheWindowShows();
    void printAndPreviewDrawTheSamePages();
    void theOpenClaimFileIsNeverWrittenOver();
    void aLongPrintoutAsksAndStopsOnCancel();
};

bool WindowPrintTest::show(const QString& kind) {
    ClaimDocument* document = context_->document();
    QWidget* view = nullptr;
    if (kind == QLatin1String("claim form")) {
        // Claim 2, whose totals do not compute, its first service line's charges marked.
        document->clickNode(*document->tree()->findKey("CA03543"));
        auto* form = main_->findChild<frmClaimForm*>();
        if (!form || !form->showField(QStringLiteral("FA0-1"),
                                      form->claim()->layouts->find("FA0")->indexOf("13.0")))
            return false;
        view = form;
    } else if (kind.startsWith(QLatin1String("problems"))) {
        if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")))
            return false;
        auto* problems = GuiTest::view<frmProblems>(*main_, QStringLiteral("frmProblems"));
        if (problems && kind.endsWith(QLatin1String("sorted"))) {
            // The two claims of KOWALSKIs, the last line first.
            problems->findChild<QLineEdit*>(QStringLiteral("txtFilter"))
                ->setText(QStringLiteral("KOWALSKI"));
            problems->table()->sortByColumn(ProblemTableModel::Line, Qt::DescendingOrder);
            if (!QTest::qWaitFor([problems] { return problems->shownRows()->rowCount() == 2; }))
                return false;
        }
        view = problems;
    } else if (kind == QLatin1String("summary")) {
        if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSummary")))
            return false;
        auto* summary = GuiTest::view<frmSummary>(*main_, QStringLiteral("frmSummary"));
        if (!summary || !QTest::qWaitFor([summary] { return !summary->chartsPending(); }))
            return false;
        view = summary;
    } else {
        if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")))
            return false;
        auto* panel = main_->findChild<frmSearchFields*>();
        panel->findChild<QLineEdit*>(QStringLiteral("txtSearchFor"))
            ->setText(QStringLiteral("KOWALSKI"));
        auto* search = panel->findChild<QPushButton*>(QStringLiteral("cmdSearch"));
        QTest::mouseClick(search, Qt::LeftButton);
        if (!QTest::qWaitFor([search] { return search->isEnabled(); }, kWaitMs))
            return false;
        view = GuiTest::view(*main_, QStringLiteral("frmSearchResults"));
    }
    if (!view)
        return false;
    main_->documents()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    return main_->documents()->activeSubWindow() &&
           main_->documents()->activeSubWindow()->widget() == view &&
           command("mnuFileExportPdf")->isEnabled();
}

void WindowPrintTest::commandsNeedSomethingToPrint() {
    main_ = Startup::run(*context_, {}, QStringLiteral(MAPS_DIR));
    for (const char* name : {"mnuFilePrint", "mnuFilePrintPreview", "mnuFileExportPdf"})
        QVERIFY2(command(name) && !command(name)->isEnabled(), name);
    QCOMPARE(command("mnuFilePrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    // The file tree prints nothing.
    main_->openFile(kFaults);
    QTRY_VERIFY(GuiTest::view(*main_, QStringLiteral("frmNSFTree")));
    main_->documents()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(
        GuiTest::view(*main_, QStringLiteral("frmNSFTree"))->parentWidget()));
    QVERIFY(!command("mnuFileExportPdf")->isEnabled());
}

void WindowPrintTest::exportWritesWhatTheWindowShows_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("absent");
    QTest::newRow("claim form") << QStringLiteral("claim form")
                                << QStringList{QStringLiteral("CA03543"),
                                               QStringLiteral("XA0 Record totals do not compute!"),
                                               QStringLiteral("FA0-1"),
                                               QStringLiteral("Line Charges"),
                                               QStringLiteral("XA0  Claim trailer")}
                                << QString();
    QTest::newRow("problems") << QStringLiteral("problems")
                              << QStringList{QStringLiteral("Problems"), QStringLiteral("BA0323"),
                                             QStringLiteral("CA03543"), QStringLiteral("BA09017"),
                                             QStringLiteral("CA018779")}
                              << QString();
    QTest::newRow("problems filtered and sorted")
        << QStringLiteral("problems filtered and sorted")
        << QStringList{QStringLiteral("Filter"), QStringLiteral("KOWALSKI"),
                       QStringLiteral("CA018779"), QStringLiteral("CA03543")}
        << QStringLiteral("BA09017");
    QTest::newRow("summary") << QStringLiteral("summary")
                             << QStringList{QStringLiteral("Batches"), QStringLiteral("Claims"),
                                            QStringLiteral("Problems")}
                             << QString();
    QTest::newRow("search results")
        << QStringLiteral("search results")
        << QStringList{QStringLiteral("Search Results"), QStringLiteral("KOWALSKI")} << QString();
}

void WindowPrintTest::exportWritesWhatTheWindowShows() {
    QFETCH(QString, kind);
    QFETCH(QStringList, texts);
    QFETCH(QString, absent);
    QVERIFY(start(kFaults));
    QVERIFY(show(kind));
    const auto boxes = GuiTest::dialogs().shown().size();
    const QString path = exportPdf(QStringLiteral("out.pdf"));
    QVERIFY(!path.isEmpty());
    QCOMPARE(GuiTest::dialogs().shown().size(), boxes);
    const QStringList pages = PdfTools::pages(path);
    QVERIFY(!pages.isEmpty());
    QCOMPARE(PdfTools::info(path, QStringLiteral("Pages")).toInt(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY2(pages[i].contains(QStringLiteral("faults301.nsf")), qPrintable(pages[i]));
        QVERIFY(pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
    }
    const QString text = pages.join(QLatin1Char('\f'));
    QVERIFY2(PdfTools::inOrder(text, texts), qPrintable(text));
    QVERIFY(absent.isEmpty() || !text.contains(absent));
    QCOMPARE(main_->confirmation(),
             QStringLiteral("Exported %1 to %2")
                 .arg(pages.size() == 1 ? QStringLiteral("1 page")
                                        : QStringLiteral("%1 pages").arg(pages.size()),
                      path));
}

void WindowPrintTest::printAndPreviewDrawTheSamePages() {
    QVERIFY(start(kFaults));
    QVERIFY(show(QStringLiteral("claim form")));
    // The printer the user chose prints to a file here.
    const QString printed = dir_->filePath(QStringLiteral("printed.pdf"));
    int previewPages = 0;
    printCommands().setDialogs(
        [&printed](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        },
        [&previewPages](QPrintPreviewDialog& dialog) {
            auto* pages = dialog.findChild<QPrintPreviewWidget*>();
            pages->updatePreview();
            previewPages = pages->pageCount();
        },
        {});
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFilePrint")));
    const QStringList pages = PdfTools::pages(printed);
    QVERIFY(!pages.isEmpty());
    QVERIFY(PdfTools::inOrder(pages.join(QLatin1Char('\f')),
                              {QStringLiteral("CA03543"), QStringLiteral("Line Charges")}));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFilePrintPreview")));
    QCOMPARE(previewPages, pages.size());
}

void WindowPrintTest::theOpenClaimFileIsNeverWrittenOver() {
    // A copy of the sample, so that a fault here cannot spoil it.
    const QString claimFile = dir_->filePath(QStringLiteral("faults301.nsf"));
    QVERIFY(QFile::copy(kFaults, claimFile));
    QFile original(kFaults);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    QVERIFY(start(claimFile));
    QVERIFY(show(QStringLiteral("problems")));
    const auto boxes = GuiTest::dialogs().shown().size();
    GuiTest::dialogs().setNextFileName(claimFile);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportPdf")));
    QCOMPARE(GuiTest::dialogs().shown().size(), boxes + 1);
    QCOMPARE(GuiTest::dialogs().shown().last().icon, qm::MessageIcon::Critical);
    QFile after(claimFile);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
    QVERIFY(main_->confirmation().isEmpty());
}

void WindowPrintTest::aLongPrintoutAsksAndStopsOnCancel() {
    // A claim a line, none with its XA0: a problem each, hundreds of pages.
    const QString file = dir_->filePath(QStringLiteral("long.nsf"));
    QVERIFY(GeneratedFiles::write({QStringLiteral("--version"), QStringLiteral("00301"),
                                   QStringLiteral("--claims"), QStringLiteral("20000"),
                                   QStringLiteral("--batches"), QStringLiteral("20"),
                                   QStringLiteral("--bare-claims")},
                                  file));
    QVERIFY(start(file));
    QVERIFY(show(QStringLiteral("problems")));
    const auto boxes = GuiTest::dialogs().shown().size();
    std::int64_t asked = 0;
    std::int64_t answer = -1;
    printCommands().setDialogs({}, {}, [&](QWidget*, std::int64_t pages) {
        asked = pages;
        return answer;
    });
    // Asked, and not printed.
    QVERIFY(exportPdf(QStringLiteral("none.pdf")).isEmpty());
    QVERIFY(asked > PrintCommands::kAskAbovePages);
    // All pages, but Cancel is pressed once the first is being drawn.
    answer = 0;
    QTimer cancel;
    int stopped = 0;
    connect(&cancel, &QTimer::timeout, this, [&] {
        auto* progress = main_->findChild<QProgressDialog*>(QStringLiteral("dlgPrintProgress"));
        if (progress && progress->labelText().startsWith(QLatin1String("Printing")) &&
            !progress->wasCanceled()) {
            progress->cancel();
            ++stopped;
        }
    });
    cancel.start(1);
    QVERIFY(exportPdf(QStringLiteral("cancelled.pdf")).isEmpty());
    cancel.stop();
    QCOMPARE(stopped, 1);
    QCOMPARE(GuiTest::dialogs().shown().size(), boxes);
    QVERIFY(main_->confirmation().isEmpty());
    QCOMPARE(QDir(dir_->path()).entryList({QStringLiteral("*.pdf")}, QDir::Files), QStringList());
}

QTEST_MAIN(WindowPrintTest)
#include "WindowPrintTest.moc"

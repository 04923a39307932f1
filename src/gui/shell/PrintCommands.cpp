#include "gui/shell/PrintCommands.h"

#include "core/Version.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/ExportFile.h"
#include "gui/common/ExportFolder.h"
#include "gui/document/ClaimDocument.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsWindow.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/WindowPrintout.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/frmSummary.h"
#include "print/PageFrame.h"
#include "print/PrintText.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

namespace {

constexpr int kProgressSteps = 1000;
constexpr int kProgressShowMs = 400;

bool execPrinterDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    return dialog.exec() == QDialog::Accepted;
}

void execPreview(QPrintPreviewDialog& dialog) {
    dialog.exec();
}

std::int64_t askPages(QWidget* parent, std::int64_t pages) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Print"),
                    QStringLiteral("This printout has %1 pages.").arg(PrintText::number(pages)),
                    QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("dlgPrintPages"));
    QPushButton* first =
        box.addButton(QStringLiteral("First %1 Pages").arg(PrintCommands::kAskAbovePages),
                      QMessageBox::AcceptRole);
    QPushButton* all = box.addButton(QStringLiteral("All %1 Pages").arg(PrintText::number(pages)),
                                     QMessageBox::AcceptRole);
    box.setDefaultButton(first);
    box.exec();
    if (box.clickedButton() == first)
        return PrintCommands::kAskAbovePages;
    return box.clickedButton() == all ? 0 : -1;
}

// The paper of the place the program runs in.
QPageSize localPaper() {
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                         ? QPageSize::Letter
                         : QPageSize::A4);
}

// A printer named after what it prints, on the local paper until the user
// chooses another.
void setUpPrinter(QPrinter& printer, const WindowPrintout& printout) {
    printer.setDocName(printout.options().title);
    PageFrame::setUp(printer, localPaper());
}

QString pagesText(std::int64_t pages) {
    return pages == 1 ? QStringLiteral("1 page")
                      : QStringLiteral("%1 pages").arg(PrintText::number(pages));
}

} // namespace

PrintCommands::PrintCommands(frmMain& main, DocumentViews& views)
    : QObject(&main)
    , main_(main)
    , printerDialog_(execPrinterDialog)
    , previewDialog_(execPreview)
    , pagesQuestion_(askPages) {
    const QString exit = QStringLiteral("mnuFileExit");
    print_ = main.insertCommand(QStringLiteral("mnuFilePrint"), QStringLiteral("&Print..."), exit,
                                QKeySequence(Qt::CTRL | Qt::Key_P));
    preview_ = main.insertCommand(QStringLiteral("mnuFilePrintPreview"),
                                  QStringLiteral("Print Pre&view..."), exit);
    exportPdf_ = main.insertCommand(QStringLiteral("mnuFileExportPdf"),
                                    QStringLiteral("Export as P&DF..."), exit);
    if (QMenu* file = main.findChild<QMenu*>(QStringLiteral("mnuFile"))) {
        const QList<QAction*> items = file->actions();
        for (QAction* item : items)
            if (item->objectName() == exit)
                file->insertSeparator(item)->setObjectName(QStringLiteral("mnuFileBar2"));
        connect(file, &QMenu::aboutToShow, this, &PrintCommands::updateCommands);
    }
    connect(print_, &QAction::triggered, this, &PrintCommands::print);
    connect(preview_, &QAction::triggered, this, &PrintCommands::preview);
    connect(exportPdf_, &QAction::triggered, this, &PrintCommands::exportPdf);
    connect(main.documents(), &QMdiArea::subWindowActivated, this, &PrintCommands::followActive);
    connect(&views, &DocumentViews::viewsChanged, this, &PrintCommands::followActive);
    connect(&main, &frmMain::fileOpenChanged, this, &PrintCommands::followActive);
    followActive();
}

void PrintCommands::setDialogs(PrinterDialog printer, PreviewDialog preview,
                               PagesQuestion question) {
    printerDialog_ = printer ? std::move(printer) : execPrinterDialog;
    previewDialog_ = preview ? std::move(preview) : execPreview;
    pagesQuestion_ = question ? std::move(question) : askPages;
}

std::unique_ptr<WindowPrintout> PrintCommands::printout() const {
    const QMdiSubWindow* window = main_.documents()->activeSubWindow();
    return WindowPrintout::of(window ? window->widget() : nullptr, main_.document());
}

void PrintCommands::followActive() {
    for (const QMetaObject::Connection& connection : followed_)
        disconnect(connection);
    followed_.clear();
    const QMdiSubWindow* window = main_.documents()->activeSubWindow();
    QWidget* view = window ? window->widget() : nullptr;
    // What the active window shows comes and goes while it is active.
    if (auto* form = qobject_cast<frmClaimForm*>(view)) {
        followed_ << connect(form, &frmClaimForm::claimShown, this, &PrintCommands::updateCommands);
    } else if (auto* summary = qobject_cast<frmSummary*>(view)) {
        followed_ << connect(summary, &frmSummary::chartsDrawn, this,
                             &PrintCommands::updateCommands);
    } else if (auto* results = qobject_cast<ResultsWindow*>(view)) {
        const ResultsFilterModel* rows = results->shownRows();
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            followed_ << connect(rows, signal, this, &PrintCommands::updateCommands);
        followed_ << connect(rows, &QAbstractItemModel::modelReset, this,
                             &PrintCommands::updateCommands);
        followed_ << connect(rows, &QAbstractItemModel::layoutChanged, this,
                             &PrintCommands::updateCommands);
    }
    updateCommands();
}

void PrintCommands::updateCommands() {
    const bool printable = printout() != nullptr;
    for (QAction* command : {print_, preview_, exportPdf_})
        command->setEnabled(printable);
}

std::int64_t PrintCommands::printOnto(QPagedPaintDevice& device, WindowPrintout& printout) {
    PrintOptions options = printout.options();
    options.printed = QDateTime::currentDateTime();
    QProgressDialog progress(QStringLiteral("Counting pages..."), QStringLiteral("Cancel"), 0,
                             kProgressSteps, &main_);
    progress.setObjectName(QStringLiteral("dlgPrintProgress"));
    progress.setWindowTitle(QStringLiteral("Print"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressShowMs);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    options.progress = [&progress](std::int64_t done, std::int64_t total) {
        progress.setValue(total > 0 ? int(std::min(done, total) * kProgressSteps / total) : 0);
        // The window goes on answering, and Cancel is heard.
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    const std::optional<std::int64_t> pages = printout.paginate(device, options);
    if (!pages)
        return -1;
    if (printout.mayBeLong() && *pages > kAskAbovePages) {
        const std::int64_t first = pagesQuestion_(&main_, *pages);
        if (first < 0)
            return -1;
        options.firstPages = first;
    }
    progress.setLabelText(QStringLiteral("Printing pages..."));
    progress.setValue(0);
    if (printout.print(device, options) != TableDocument::Outcome::Printed)
        return -1;
    return printout.printed();
}

void PrintCommands::print() {
    std::unique_ptr<WindowPrintout> shown = printout();
    if (!shown)
        return;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, *shown);
    if (!printerDialog_(printer, &main_))
        return;
    PageFrame::setUp(printer, printer.pageLayout().pageSize());
    const std::int64_t pages = printOnto(printer, *shown);
    if (pages >= 0)
        main_.confirm(
            QStringLiteral("Printed %1 of %2").arg(pagesText(pages), shown->options().title));
}

void PrintCommands::preview() {
    std::unique_ptr<WindowPrintout> shown = printout();
    if (!shown)
        return;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, *shown);
    QPrintPreviewDialog dialog(&printer, &main_);
    dialog.setObjectName(QStringLiteral("dlgPrintPreview"));
    dialog.setWindowTitle(QStringLiteral("Print Preview - ") + shown->options().title);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &shown](QPrinter* target) {
        // The preview keeps every page it is given: a long one shows its
        // first pages unless all are asked for.
        PageFrame::setUp(*target, target->pageLayout().pageSize());
        printOnto(*target, *shown);
    });
    previewDialog_(dialog);
}

void PrintCommands::exportPdf() {
    std::unique_ptr<WindowPrintout> shown = printout();
    if (!shown)
        return;
    const ClaimDocument* document = main_.document();
    const QString claimFile = document ? document->path() : QString();
    const QString suggested = QFileInfo(claimFile).completeBaseName() + QLatin1Char('-') +
                              shown->fileNamePart() + QStringLiteral(".pdf");
    ExportFile::Request request;
    request.dialog.objectName = QStringLiteral("dlgExportPdf");
    request.dialog.caption = QStringLiteral("Export as PDF");
    request.dialog.filters = {QStringLiteral("PDF (*.pdf)")};
    request.dialog.fileName =
        ExportFolder::suggest(QFileInfo(claimFile).absoluteDir().filePath(suggested));
    bool cancelled = false;
    request.failure = [&cancelled](const QString& path, const QString& reason) {
        return cancelled ? QString() : QStringLiteral("Unable to write %1:\n%2").arg(path, reason);
    };
    std::int64_t pages = -1;
    const ExportFile::Written written =
        ExportFile::saveDevice(&main_, request, [&](QIODevice& device) {
            QPdfWriter writer(&device);
            writer.setCreator(QStringLiteral("Quillmark %1.%2.%3")
                                  .arg(qm::kVersionMajor)
                                  .arg(qm::kVersionMinor)
                                  .arg(qm::kVersionRevision));
            writer.setTitle(shown->options().title);
            PageFrame::setUp(writer, localPaper());
            pages = printOnto(writer, *shown);
            cancelled = pages < 0;
            return !cancelled;
        });
    if (!written)
        return;
    ExportFolder::remember(written.path);
    main_.confirm(ExportFile::Written{written.path, pagesText(pages)}.confirmation());
}

#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

class DocumentViews;
class QAction;
class QPagedPaintDevice;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;
class WindowPrintout;
class frmMain;

// File > Print... (mnuFilePrint, Ctrl+P), Print Preview... (mnuFilePrintPreview)
// and Export as PDF... (mnuFileExportPdf): what the active document window
// shows, on paper (see WindowPrintout); disabled while it shows nothing to
// print. The pages are counted and drawn a page at a time under a progress
// dialog (dlgPrintProgress) whose Cancel stops them; a printout of more
// than kAskAbovePages pages asks first whether to print only its first
// pages. The PDF is written as every export is, never over the open claim
// file, a folder, a device or a pipe, and confirmed in the status bar.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    static constexpr std::int64_t kAskAbovePages = 200;

    PrintCommands(frmMain& main, DocumentViews& views);

    // The dialogs the commands show: the real ones, or a test's stand-ins
    // handed to this main window's commands. The printer dialog: true to print.
    using PrinterDialog = std::function<bool(QPrinter& printer, QWidget* parent)>;
    // The preview, shown modally; it asks for its pages when it wants them.
    using PreviewDialog = std::function<void(QPrintPreviewDialog& dialog)>;
    // How many of `pages` to print: 0 all, n the first n; negative: none.
    using PagesQuestion = std::function<std::int64_t(QWidget* parent, std::int64_t pages)>;
    // Empty: the real dialog again.
    void setDialogs(PrinterDialog printer, PreviewDialog preview, PagesQuestion question);

private:
    void print();
    void preview();
    void exportPdf();
    // The active window's printout, or null.
    std::unique_ptr<WindowPrintout> printout() const;
    // Counts the pages and prints them onto device, asking first about
    // many; the pages printed, or -1 when cancelled or failed.
    std::int64_t printOnto(QPagedPaintDevice& device, WindowPrintout& printout);
    // Follows what the active window shows, to enable the commands.
    void followActive();
    void updateCommands();

    frmMain& main_;
    PrinterDialog printerDialog_;
    PreviewDialog previewDialog_;
    PagesQuestion pagesQuestion_;
    QAction* print_ = nullptr;
    QAction* preview_ = nullptr;
    QAction* exportPdf_ = nullptr;
    QList<QMetaObject::Connection> followed_;
};

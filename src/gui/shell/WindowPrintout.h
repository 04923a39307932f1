#pragma once

#include "print/PrintOptions.h"
#include "print/TableDocument.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class ClaimDocument;
class QChart;
class QPagedPaintDevice;
class QWidget;
class TableRows;

// What a document window shows, on paper: the claim form's claim (its marked
// field marked), the Problems window's rows as filtered and sorted, grouped
// by batch under the file's figures, the File Summary's figures and charts,
// and the rows of any other results window as shown. It reads the window
// and its document as it prints, so print on the GUI thread while both live.
class WindowPrintout {
public:
    // What view prints; null when it has nothing to print.
    static std::unique_ptr<WindowPrintout> of(QWidget* view, const ClaimDocument* document);
    ~WindowPrintout();
    WindowPrintout(const WindowPrintout&) = delete;
    WindowPrintout& operator=(const WindowPrintout&) = delete;

    // The file name, the title and when it is printed, for every page.
    const PrintOptions& options() const { return options_; }
    // What a file of it is named after the claim file's name: "claim-CA0967".
    const QString& fileNamePart() const { return fileNamePart_; }
    // Whether its pages may be many (the problems of a big file), so that
    // the user is asked whether to print them all.
    bool mayBeLong() const { return mayBeLong_; }

    // Counts the pages on device; nullopt when progress cancelled.
    std::optional<std::int64_t> paginate(QPagedPaintDevice& device, const PrintOptions& options);
    // After paginate() on the same device.
    TableDocument::Outcome print(QPagedPaintDevice& device, const PrintOptions& options);
    // How many pages print() printed.
    std::int64_t printed() const { return printed_; }

private:
    WindowPrintout() = default;
    static std::unique_ptr<WindowPrintout> claimForm(QWidget* view, const ClaimDocument& document);
    static std::unique_ptr<WindowPrintout> problems(QWidget* view, const ClaimDocument& document);
    static std::unique_ptr<WindowPrintout> summary(QWidget* view, const ClaimDocument& document);
    static std::unique_ptr<WindowPrintout> results(QWidget* view);

    PrintOptions options_;
    QString fileNamePart_;
    bool mayBeLong_ = false;
    std::int64_t printed_ = 0;
    std::vector<std::unique_ptr<TableRows>> rows_;
    std::unique_ptr<TableDocument> document_;
    // The File Summary, which is drawn from its window rather than as rows.
    QPointer<QWidget> summary_;
};

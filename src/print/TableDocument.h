#pragma once

#include "print/PrintOptions.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class PageFrame;
class QPagedPaintDevice;
class QPainter;
class TableRows;

// A printout of sections, each starting on a page of its own: a title, lines
// of figures ("Patient: SMITH, JOHN"), then a table of rows under a header
// that every page repeats, in groups each under its heading (repeated,
// "continued", on the page a group goes on to). Every page has the frame of
// PageFrame. What a window shows is printed by handing it its rows; the
// claim, the problems and any list of rows are printed this way.
//
// Pages are laid out one at a time, the same way twice: once to count them
// ("Page n of m"), once to print them. So memory stays the same however many
// rows there are, and the printout may stop after its first pages. Work on
// any thread (QPainter on a QPdfWriter or QPrinter is not bound to the GUI
// thread), as long as the rows can be read there.
//
//   TableDocument document({section}, TableDocument::Orientation::Fit);
//   if (document.printAll(pdfWriter, options) != TableDocument::Outcome::Printed) ...
class TableDocument {
public:
    struct Line {
        QString label;      // bold, in a column of its own; empty: the text takes the width
        QString text;       // wrapped to the width
        bool alert = false; // something wrong, drawn in the alert colour
    };
    struct Section {
        QString title;
        std::vector<Line> lines;
        const TableRows* rows = nullptr; // not owned; none: lines only
    };
    // Fit: landscape when a table does not fit across a portrait page.
    enum class Orientation { Portrait, Landscape, Fit };
    enum class Outcome { Printed, Cancelled, Failed };

    TableDocument(std::vector<Section> sections, Orientation orientation);
    ~TableDocument();
    TableDocument(const TableDocument&) = delete;
    TableDocument& operator=(const TableDocument&) = delete;

    // Turns the device's pages as the tables need, sets out their columns
    // and counts the pages the whole document takes; nullopt when cancelled.
    std::optional<std::int64_t> paginate(QPagedPaintDevice& device, const PrintOptions& options);
    // After paginate() on the same device: prints the first
    // options.firstPages pages, or all of them.
    Outcome print(QPagedPaintDevice& device, const PrintOptions& options);
    // Both.
    Outcome printAll(QPagedPaintDevice& device, const PrintOptions& options);

    // How many pages paginate() counted.
    std::int64_t pageCount() const { return pages_; }
    // How many print() prints.
    std::int64_t pagesToPrint(const PrintOptions& options) const;

private:
    struct Fonts;
    struct Cursor;
    struct Columns {
        std::vector<double> left;
        std::vector<double> width;
    };

    bool tooWideForPortrait(const QPagedPaintDevice& device) const;
    std::vector<double> naturalWidths(const TableRows& rows, const QPaintDevice& device) const;
    Columns fitColumns(const TableRows& rows, const QPaintDevice& device, double width) const;

    // Lays out one page from cursor on, drawing it when painter is given;
    // false when the page was not begun because nothing is left. progress
    // is asked every so many rows; false from it stops the page.
    bool layOutPage(Cursor& cursor, QPainter* painter, const PrintOptions& options) const;
    bool layOutLines(Cursor& cursor, QPainter* painter, double& y) const;
    bool layOutRows(Cursor& cursor, QPainter* painter, double& y,
                    const PrintOptions& options) const;
    double lineHeight(const Line& line) const;
    double rowHeight(const TableRows& rows, const Columns& columns, std::int64_t row) const;
    void drawLine(QPainter& painter, const Line& line, double y) const;
    void drawHeader(QPainter& painter, const TableRows& rows, const Columns& columns,
                    double y) const;
    void drawHeading(QPainter& painter, const QString& text, double y) const;
    void drawRow(QPainter& painter, const TableRows& rows, const Columns& columns, std::int64_t row,
                 double y, double height) const;

    std::vector<Section> sections_;
    Orientation orientation_;
    std::vector<Columns> columns_; // per section, after paginate()
    std::unique_ptr<Fonts> fonts_;
    std::unique_ptr<PageFrame> frame_; // the page's geometry, after paginate()
    const QPaintDevice* device_ = nullptr;
    std::int64_t pages_ = 0;
    std::int64_t totalRows_ = 0;
    mutable std::int64_t rowsDone_ = 0;
    mutable bool cancelled_ = false;
};

#include "print/TableDocument.h"

#include "print/PageFrame.h"
#include "print/TableRows.h"
#include "print/WrappedText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace {

// Sizes in points.
constexpr double kBody = 8;
constexpr double kLineText = 8.5;
constexpr double kHeading = 8.5;
constexpr double kTitle = 13;
constexpr double kCellPad = 3;    // left and right of a cell's text
constexpr double kRowPad = 1.5;   // above and below a row's text
constexpr double kSectionGap = 8; // between the lines and the table
constexpr double kMarkBar = 2.5;  // the bar beside a marked row

// The widths of a table's columns are found from its header and first rows.
constexpr std::int64_t kMeasuredRows = 1000;
// Pages are counted in runs of this many rows between questions of progress.
constexpr std::int64_t kProgressRows = 4096;

const QColor kHeaderFill(230, 230, 230);
const QColor kRule(176, 176, 176);
const QColor kMarkFill(255, 230, 128);
const QColor kMarkBarColor(191, 128, 0);
const QColor kAlertFill(247, 198, 198);
const QColor kAlertText(160, 0, 0);

} // namespace

struct TableDocument::Fonts {
    QFont body = PageFrame::font(kBody);
    QFont strong = PageFrame::font(kBody, true);
    QFont heading = PageFrame::font(kHeading, true);
    QFont title = PageFrame::font(kTitle, true);
    QFont label = PageFrame::font(kLineText, true);
    QFont lineText = PageFrame::font(kLineText);
    double oneLine = 0; // a row of one line of body text, padding included
    double headingHeight = 0;
    double titleHeight = 0;
    double labelWidth = 0; // the widest label of the lines, at most a third of the page
};

// Where the layout has come to: the section, and in it either the title and
// lines or the table's rows.
struct TableDocument::Cursor {
    std::size_t section = 0;
    bool titleDone = false;
    std::size_t line = 0;
    bool linesDone = false;
    std::int64_t row = 0;
    bool hasGroup = false; // the row before `row` is in group `group`
    std::int64_t group = 0;
};

TableDocument::TableDocument(std::vector<Section> sections, Orientation orientation)
    : sections_(std::move(sections))
    , orientation_(orientation) {
}

TableDocument::~TableDocument() = default;

std::vector<double> TableDocument::naturalWidths(const TableRows& rows,
                                                 const QPaintDevice& device) const {
    const QFontMetricsF body(fonts_->body, &device);
    const QFontMetricsF strong(fonts_->strong, &device);
    const double pad = 2 * kCellPad * device.logicalDpiX() / 72.0;
    std::vector<double> widths(std::size_t(rows.columnCount()), 0.0);
    const std::int64_t measured = std::min(rows.rowCount(), kMeasuredRows);
    for (int c = 0; c < rows.columnCount(); ++c) {
        double widest = strong.horizontalAdvance(rows.header(c));
        for (std::int64_t r = 0; r < measured; ++r) {
            const QFontMetricsF& metrics = rows.style(r, c).strong ? strong : body;
            widest = std::max(widest, metrics.horizontalAdvance(rows.cell(r, c)));
        }
        widths[std::size_t(c)] = std::ceil(widest + pad);
    }
    return widths;
}

TableDocument::Columns TableDocument::fitColumns(const TableRows& rows, const QPaintDevice& device,
                                                 double width) const {
    std::vector<double> widths = naturalWidths(rows, device);
    Columns columns;
    if (widths.empty())
        return columns;
    const double natural = std::accumulate(widths.begin(), widths.end(), 0.0);
    if (natural <= width) {
        // The room left goes to one column.
        int stretch = rows.stretchColumn();
        if (stretch < 0 || stretch >= int(widths.size()))
            stretch = int(std::max_element(widths.begin(), widths.end()) - widths.begin());
        widths[std::size_t(stretch)] += width - natural;
    } else {
        // The widest columns give up room first: every column is cut to at
        // most the same width, found by halving, so that narrow ones stay whole.
        double low = 0, high = *std::max_element(widths.begin(), widths.end());
        auto total = [&](double cap) {
            double sum = 0;
            for (double w : widths)
                sum += std::min(w, cap);
            return sum;
        };
        for (int i = 0; i < 60; ++i) {
            const double cap = (low + high) / 2;
            (total(cap) > width ? high : low) = cap;
        }
        for (double& w : widths)
            w = std::min(w, low);
    }
    double left = 0;
    for (double w : widths) {
        columns.left.push_back(left);
        columns.width.push_back(w);
        left += w;
    }
    return columns;
}

bool TableDocument::tooWideForPortrait(const QPagedPaintDevice& device) const {
    // The portrait page's width, whatever way the device is turned now.
    const QPageLayout layout = device.pageLayout();
    QPageLayout portrait = layout;
    portrait.setOrientation(QPageLayout::Portrait);
    const double width = portrait.paintRectPixels(device.logicalDpiX()).width();
    for (const Section& section : sections_) {
        if (!section.rows || section.rows->wraps())
            continue;
        const std::vector<double> widths = naturalWidths(*section.rows, device);
        if (std::accumulate(widths.begin(), widths.end(), 0.0) > width)
            return true;
    }
    return false;
}

std::optional<std::int64_t> TableDocument::paginate(QPagedPaintDevice& device,
                                                    const PrintOptions& options) {
    fonts_ = std::make_unique<Fonts>();
    device_ = &device;
    const bool landscape = orientation_ == Orientation::Landscape ||
                           (orientation_ == Orientation::Fit && tooWideForPortrait(device));
    device.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    frame_ = std::make_unique<PageFrame>(device, options, 0, 0);

    const QRectF content = frame_->content();
    fonts_->oneLine = QFontMetricsF(fonts_->body, &device).height() + 2 * frame_->points(kRowPad);
    fonts_->headingHeight =
        QFontMetricsF(fonts_->heading, &device).height() + 2 * frame_->points(kRowPad + 1.5);
    fonts_->titleHeight = QFontMetricsF(fonts_->title, &device).height() + frame_->points(4);
    const QFontMetricsF label(fonts_->label, &device);
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            fonts_->labelWidth = std::max(fonts_->labelWidth, label.horizontalAdvance(line.label));
    fonts_->labelWidth = std::min(fonts_->labelWidth + frame_->points(8), content.width() / 3);

    columns_.clear();
    totalRows_ = 0;
    for (const Section& section : sections_) {
        columns_.push_back(section.rows ? fitColumns(*section.rows, device, content.width())
                                        : Columns());
        totalRows_ += section.rows ? section.rows->rowCount() : 0;
    }

    rowsDone_ = 0;
    cancelled_ = false;
    Cursor cursor;
    std::int64_t pages = 0;
    while (layOutPage(cursor, nullptr, options))
        ++pages;
    if (cancelled_)
        return std::nullopt;
    pages_ = std::max<std::int64_t>(pages, 1);
    return pages_;
}

std::int64_t TableDocument::pagesToPrint(const PrintOptions& options) const {
    return options.firstPages > 0 ? std::min(options.firstPages, pages_) : pages_;
}

TableDocument::Outcome TableDocument::print(QPagedPaintDevice& device,
                                            const PrintOptions& options) {
    if (!frame_ || device_ != &device)
        return Outcome::Failed;
    const std::int64_t pages = pagesToPrint(options);
    const PageFrame frame(device, options, pages, pages_);
    QPainter painter;
    if (!painter.begin(&device))
        return Outcome::Failed;
    rowsDone_ = 0;
    cancelled_ = false;
    Cursor cursor;
    for (std::int64_t page = 1; page <= pages; ++page) {
        if (page > 1 && !device.newPage()) {
            painter.end();
            return Outcome::Failed;
        }
        frame.draw(painter, page);
        layOutPage(cursor, &painter, PrintOptions());
        if (options.progress && !options.progress(page, pages)) {
            painter.end();
            return Outcome::Cancelled;
        }
    }
    return painter.end() ? Outcome::Printed : Outcome::Failed;
}

TableDocument::Outcome TableDocument::printAll(QPagedPaintDevice& device,
                                               const PrintOptions& options) {
    if (!paginate(device, options))
        return Outcome::Cancelled;
    return print(device, options);
}

bool TableDocument::layOutPage(Cursor& cursor, QPainter* painter,
                               const PrintOptions& options) const {
    if (cursor.section >= sections_.size() || cancelled_)
        return false;
    double y = frame_->content().top();
    if ((cursor.linesDone || layOutLines(cursor, painter, y)) &&
        layOutRows(cursor, painter, y, options))
        cursor = Cursor{cursor.section + 1}; // each section begins a page of its own
    return true;
}

bool TableDocument::layOutLines(Cursor& cursor, QPainter* painter, double& y) const {
    const Section& section = sections_[cursor.section];
    const double top = frame_->content().top();
    const double bottom = frame_->content().bottom();
    if (!cursor.titleDone && !section.title.isEmpty()) {
        if (y > top && y + fonts_->titleHeight > bottom)
            return false;
        if (painter) {
            painter->setFont(fonts_->title);
            painter->setPen(Qt::black);
            painter->drawText(QRectF(0, y, frame_->content().width(), fonts_->titleHeight),
                              Qt::AlignLeft | Qt::AlignTop, section.title);
        }
        y += fonts_->titleHeight;
    }
    cursor.titleDone = true;
    for (; cursor.line < section.lines.size(); ++cursor.line) {
        const Line& line = section.lines[cursor.line];
        const double height = lineHeight(line);
        // A line taller than a page is drawn on one of its own, cut off.
        if (y > top && y + height > bottom)
            return false;
        if (painter)
            drawLine(*painter, line, y);
        y += height;
    }
    cursor.linesDone = true;
    if (y > top)
        y += frame_->points(kSectionGap);
    return true;
}

bool TableDocument::layOutRows(Cursor& cursor, QPainter* painter, double& y,
                               const PrintOptions& options) const {
    const Section& section = sections_[cursor.section];
    if (!section.rows || cursor.row >= section.rows->rowCount())
        return true;
    const TableRows& rows = *section.rows;
    const Columns& columns = columns_[cursor.section];
    const double bottom = frame_->content().bottom();
    const bool grouped = rows.grouped();
    bool first = true; // the first row on this page
    for (; cursor.row < rows.rowCount(); ++cursor.row) {
        if (cancelled_)
            return false;
        const std::int64_t row = cursor.row;
        const std::int64_t group = grouped ? rows.group(row) : 0;
        const bool newGroup = grouped && (!cursor.hasGroup || group != cursor.group);
        // A page that goes on with a group says whose rows they are.
        const bool heading = newGroup || (grouped && first);
        const double height = rowHeight(rows, columns, row);
        const double needed =
            (first ? fonts_->oneLine : 0) + (heading ? fonts_->headingHeight : 0) + height;
        // What is too tall for any page goes on an empty one all the same, cut off.
        if (y + needed > bottom && !(first && y <= frame_->content().top()))
            return false;
        if (first && painter)
            drawHeader(*painter, rows, columns, y);
        if (first)
            y += fonts_->oneLine;
        if (heading && painter)
            drawHeading(*painter,
                        newGroup ? rows.groupHeading(row)
                                 : rows.groupHeading(row) + QStringLiteral(" (continued)"),
                        y);
        if (heading)
            y += fonts_->headingHeight;
        if (painter)
            drawRow(*painter, rows, columns, row, y, height);
        y += height;
        first = false;
        cursor.hasGroup = grouped;
        cursor.group = group;
        if (++rowsDone_ % kProgressRows == 0 && options.progress &&
            !options.progress(rowsDone_, totalRows_))
            cancelled_ = true;
    }
    return true;
}

double TableDocument::lineHeight(const Line& line) const {
    const double width = frame_->content().width();
    const double textWidth = line.label.isEmpty() ? width : width - fonts_->labelWidth;
    double height = WrappedText(line.text, fonts_->lineText, textWidth, *device_).height();
    if (!line.label.isEmpty())
        height = std::max(
            height, WrappedText(line.label, fonts_->label, fonts_->labelWidth, *device_).height());
    return height + frame_->points(1.5);
}

double TableDocument::rowHeight(const TableRows& rows, const Columns& columns,
                                std::int64_t row) const {
    if (!rows.wraps())
        return fonts_->oneLine;
    const double pad = frame_->points(kCellPad);
    double height = 0;
    for (int c = 0; c < rows.columnCount(); ++c) {
        const QFont& font = rows.style(row, c).strong ? fonts_->strong : fonts_->body;
        const double width = std::max(1.0, columns.width[std::size_t(c)] - 2 * pad);
        height = std::max(height, WrappedText(rows.cell(row, c), font, width, *device_).height());
    }
    return std::max(fonts_->oneLine, height + 2 * frame_->points(kRowPad));
}

void TableDocument::drawLine(QPainter& painter, const Line& line, double y) const {
    const double width = frame_->content().width();
    double x = 0;
    painter.setPen(Qt::black);
    if (!line.label.isEmpty()) {
        WrappedText(line.label, fonts_->label, fonts_->labelWidth, *device_).draw(painter, 0, y);
        x = fonts_->labelWidth;
    }
    painter.setPen(line.alert ? kAlertText : QColor(Qt::black));
    WrappedText(line.text, fonts_->lineText, width - x, *device_).draw(painter, x, y);
}

void TableDocument::drawHeader(QPainter& painter, const TableRows& rows, const Columns& columns,
                               double y) const {
    const double pad = frame_->points(kCellPad);
    const double width = columns.left.back() + columns.width.back();
    painter.fillRect(QRectF(0, y, width, fonts_->oneLine), kHeaderFill);
    painter.setFont(fonts_->strong);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(fonts_->strong, painter.device());
    for (int c = 0; c < rows.columnCount(); ++c) {
        const QRectF cell(columns.left[std::size_t(c)] + pad, y,
                          columns.width[std::size_t(c)] - 2 * pad, fonts_->oneLine);
        painter.drawText(cell, rows.alignment(c) | Qt::AlignVCenter,
                         metrics.elidedText(rows.header(c), Qt::ElideRight, cell.width()));
    }
    painter.setPen(QPen(Qt::black, frame_->points(0.6)));
    painter.drawLine(QPointF(0, y + fonts_->oneLine), QPointF(width, y + fonts_->oneLine));
}

void TableDocument::drawHeading(QPainter& painter, const QString& text, double y) const {
    const double pad = frame_->points(kCellPad);
    const double width = frame_->content().width();
    painter.setFont(fonts_->heading);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(fonts_->heading, painter.device());
    painter.drawText(QRectF(pad, y, width - 2 * pad, fonts_->headingHeight),
                     Qt::AlignLeft | Qt::AlignBottom,
                     metrics.elidedText(text, Qt::ElideRight, width - 2 * pad));
}

void TableDocument::drawRow(QPainter& painter, const TableRows& rows, const Columns& columns,
                            std::int64_t row, double y, double height) const {
    const double pad = frame_->points(kCellPad);
    const double rowPad = frame_->points(kRowPad);
    const double width = columns.left.back() + columns.width.back();
    bool marked = false;
    for (int c = 0; c < rows.columnCount(); ++c) {
        const TableRows::Style style = rows.style(row, c);
        const QRectF box(columns.left[std::size_t(c)], y, columns.width[std::size_t(c)], height);
        marked = marked || style.marked;
        if (style.marked || style.alert)
            painter.fillRect(box, style.alert ? kAlertFill : kMarkFill);
        const QFont& font = style.strong ? fonts_->strong : fonts_->body;
        painter.setFont(font);
        painter.setPen(style.alert ? kAlertText : QColor(Qt::black));
        const QString text = rows.cell(row, c);
        const double textWidth = std::max(1.0, box.width() - 2 * pad);
        if (rows.wraps()) {
            WrappedText(text, font, textWidth, *device_)
                .draw(painter, box.left() + pad, y + rowPad);
        } else {
            const QFontMetricsF metrics(font, painter.device());
            painter.drawText(QRectF(box.left() + pad, y, textWidth, height),
                             rows.alignment(c) | Qt::AlignVCenter,
                             metrics.elidedText(text, Qt::ElideRight, textWidth));
        }
    }
    // The marked row shows in black and white too: a bar beside it.
    if (marked)
        painter.fillRect(QRectF(0, y, frame_->points(kMarkBar), height), kMarkBarColor);
    painter.setPen(QPen(kRule, frame_->points(0.3)));
    painter.drawLine(QPointF(0, y + height), QPointF(width, y + height));
}

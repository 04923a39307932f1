#pragma once

#include "print/PrintOptions.h"

#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <cstdint>

class QPaintDevice;
class QPagedPaintDevice;
class QPainter;
class QPageSize;

// What every page of a printout has around its content: at the top the
// claim file's name, when it was printed and "Page n of m"; at the foot the
// report's title and the page number, and, when only the first pages are
// printed, how many there are in all. Lengths are in the device's pixels,
// which a painter on it uses unscaled.
class PageFrame {
public:
    // pages: how many this printout has; pagesInAll: how many the whole
    // report has (more when only the first pages are printed).
    PageFrame(const QPaintDevice& device, const PrintOptions& options, std::int64_t pages,
              std::int64_t pagesInAll);

    // A length given in points (1/72 inch) on the device.
    double points(double length) const { return length * dpi_ / 72.0; }
    // Where a page's content goes, below the header and above the foot.
    const QRectF& content() const { return content_; }
    // The header and foot of page `page` (1-based).
    void draw(QPainter& painter, std::int64_t page) const;

    // The printouts' typeface at a size in points.
    static QFont font(double pointSize, bool bold = false);
    // The paper and the margins every printout has.
    static void setUp(QPagedPaintDevice& device, const QPageSize& paper);
    // "2024-03-15 14:05".
    static QString printedText(const QDateTime& printed);

private:
    QString fileName_;
    QString title_;
    double dpi_;
    QRectF page_;
    QRectF content_;
    std::int64_t pages_;
    std::int64_t pagesInAll_;
    QString printed_;
};

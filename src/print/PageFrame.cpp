#include "print/PageFrame.h"

#include "print/PrintText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr double kFrameFont = 7.5; // points
constexpr double kRuleGap = 3;     // between a frame's text and its rule
constexpr double kContentGap = 10; // between a rule and the content
constexpr double kMarginMm = 15;

} // namespace

PageFrame::PageFrame(const QPaintDevice& device, const PrintOptions& options, std::int64_t pages,
                     std::int64_t pagesInAll)
    : fileName_(options.fileName)
    , title_(options.title)
    , dpi_(device.logicalDpiY())
    , page_(0, 0, device.width(), device.height())
    , pages_(pages)
    , pagesInAll_(pagesInAll)
    , printed_(
          printedText(options.printed.isValid() ? options.printed : QDateTime::currentDateTime())) {
    const double line = QFontMetricsF(font(kFrameFont), &device).height();
    const double top = line + points(kRuleGap + kContentGap);
    content_ = page_.adjusted(0, top, 0, -top);
}

QFont PageFrame::font(double pointSize, bool bold) {
    QFont font;
    // Any of these draws every character of a claim file; the first found wins.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // Text laid out for the page's own resolution, not the screen's.
    font.setHintingPreference(QFont::PreferNoHinting);
    // No ligatures: "fi" stays two letters for whoever searches or copies
    // the PDF's text, and Latin text is laid out faster unshaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void PageFrame::setUp(QPagedPaintDevice& device, const QPageSize& paper) {
    device.setPageSize(paper);
    device.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                          QPageLayout::Millimeter);
}

QString PageFrame::printedText(const QDateTime& printed) {
    return printed.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

void PageFrame::draw(QPainter& painter, std::int64_t page) const {
    painter.save();
    const QFont frameFont = font(kFrameFont);
    painter.setFont(frameFont);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(frameFont, painter.device());
    const double line = metrics.height();
    // What stands at the left and right never runs into what is centred.
    auto beside = [&](const QString& centred) {
        return (page_.width() - metrics.horizontalAdvance(centred)) / 2 - points(6);
    };

    const QRectF top(page_.left(), page_.top(), page_.width(), line);
    const QString printed = QStringLiteral("Printed ") + printed_;
    const double name = beside(printed);
    painter.drawText(QRectF(top.left(), top.top(), name, line), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(fileName_, Qt::ElideMiddle, name));
    painter.drawText(top, Qt::AlignHCenter | Qt::AlignVCenter, printed);
    painter.drawText(
        top, Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("Page %1 of %2").arg(PrintText::number(page), PrintText::number(pages_)));

    const QRectF foot(page_.left(), page_.bottom() - line, page_.width(), line);
    const QString number = PrintText::number(page);
    const double title = beside(number);
    painter.drawText(QRectF(foot.left(), foot.top(), title, line), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(title_, Qt::ElideRight, title));
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter, number);
    if (pagesInAll_ > pages_)
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("The first %1 of %2 pages")
                             .arg(PrintText::number(pages_), PrintText::number(pagesInAll_)));

    painter.setPen(QPen(Qt::gray, points(0.5)));
    const double below = top.bottom() + points(kRuleGap);
    const double above = foot.top() - points(kRuleGap);
    painter.drawLine(QPointF(page_.left(), below), QPointF(page_.right(), below));
    painter.drawLine(QPointF(page_.left(), above), QPointF(page_.right(), above));
    painter.restore();
}

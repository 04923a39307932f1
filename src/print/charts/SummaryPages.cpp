#include "print/charts/SummaryPages.h"

#include "print/PageFrame.h"
#include "print/WrappedText.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QtCharts/QChart>
#include <algorithm>
#include <memory>

namespace {

constexpr int kFiguresInRow = 4;
constexpr double kGap = 10; // points, between figures, notes and charts

// A figure's value above its caption.
void drawFigure(QPainter& painter, const SummaryPages::Figure& figure, const QRectF& box,
                const QFont& valueFont, const QFont& captionFont) {
    const QFontMetricsF value(valueFont, painter.device());
    painter.setFont(valueFont);
    painter.drawText(QRectF(box.left(), box.top(), box.width(), value.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     value.elidedText(figure.value, Qt::ElideRight, box.width()));
    const QFontMetricsF caption(captionFont, painter.device());
    painter.setFont(captionFont);
    painter.drawText(QRectF(box.left(), box.top() + value.height(), box.width(), caption.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     caption.elidedText(figure.caption, Qt::ElideRight, box.width()));
}

// Draws chart into target, keeping its shape, from the scene that holds it.
void drawChart(QPainter& painter, QChart& chart, const QRectF& target) {
    std::unique_ptr<QGraphicsScene> own;
    QGraphicsScene* scene = chart.scene();
    if (!scene) {
        own = std::make_unique<QGraphicsScene>();
        own->addItem(&chart);
        scene = own.get();
    }
    scene->render(&painter, target, chart.sceneBoundingRect(), Qt::KeepAspectRatio);
    if (own)
        own->removeItem(&chart);
}

// Where each chart goes: its page (0-based) and its place on it.
struct Placed {
    std::int64_t page;
    QRectF box;
};

} // namespace

TableDocument::Outcome SummaryPages::print(QPagedPaintDevice& device, const PrintOptions& options,
                                           const std::vector<Figure>& figures,
                                           const QStringList& notes,
                                           const std::vector<QChart*>& charts) {
    device.setPageOrientation(QPageLayout::Portrait);
    const PageFrame geometry(device, options, 0, 0);
    const QRectF content = geometry.content();
    const QFont valueFont = PageFrame::font(14, true);
    const QFont captionFont = PageFrame::font(8);
    const QFont noteFont = PageFrame::font(8.5);
    const QFont titleFont = PageFrame::font(13, true);
    const double titleHeight = QFontMetricsF(titleFont, &device).height() + geometry.points(4);
    const double figureHeight = QFontMetricsF(valueFont, &device).height() +
                                QFontMetricsF(captionFont, &device).height() + geometry.points(6);
    const int figureRows = int((figures.size() + kFiguresInRow - 1) / kFiguresInRow);
    const double figureWidth = content.width() / kFiguresInRow;
    const QString noteText = notes.join(QLatin1Char('\n'));
    const WrappedText noteBlock(noteText, noteFont, content.width(), device);

    // The figures and notes open the first page; charts follow, each on the
    // page it fits on.
    double y = content.top() + titleHeight + figureRows * figureHeight + geometry.points(kGap);
    if (!noteText.isEmpty())
        y += noteBlock.height() + geometry.points(kGap);
    std::vector<Placed> placed;
    std::int64_t page = 0;
    for (QChart* chart : charts) {
        const QSizeF size = chart->size();
        const double shape =
            size.width() > 0 && size.height() > 0 ? size.height() / size.width() : 0.6;
        const double height =
            std::min(content.width() * shape, (content.height() - geometry.points(kGap)) / 2);
        if (y + height > content.bottom() && y > content.top()) {
            ++page;
            y = content.top();
        }
        placed.push_back({page, QRectF(content.left(), y, content.width(), height)});
        y += height + geometry.points(kGap);
    }
    const std::int64_t pagesInAll = page + 1;
    const std::int64_t pages =
        options.firstPages > 0 ? std::min(options.firstPages, pagesInAll) : pagesInAll;

    const PageFrame frame(device, options, pages, pagesInAll);
    QPainter painter;
    if (!painter.begin(&device))
        return TableDocument::Outcome::Failed;
    frame.draw(painter, 1);
    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    painter.drawText(QRectF(content.left(), content.top(), content.width(), titleHeight),
                     Qt::AlignLeft | Qt::AlignTop, options.title);
    for (std::size_t i = 0; i < figures.size(); ++i)
        drawFigure(painter, figures[i],
                   QRectF(content.left() + double(i % kFiguresInRow) * figureWidth,
                          content.top() + titleHeight + double(i / kFiguresInRow) * figureHeight,
                          figureWidth - geometry.points(kGap), figureHeight),
                   valueFont, captionFont);
    painter.setFont(noteFont);
    noteBlock.draw(painter, content.left(),
                   content.top() + titleHeight + figureRows * figureHeight + geometry.points(kGap));
    std::int64_t current = 0;
    for (std::size_t i = 0; i < charts.size() && placed[i].page < pages; ++i) {
        while (current < placed[i].page) {
            if (options.progress && !options.progress(current + 1, pages)) {
                painter.end();
                return TableDocument::Outcome::Cancelled;
            }
            if (!device.newPage()) {
                painter.end();
                return TableDocument::Outcome::Failed;
            }
            frame.draw(painter, ++current + 1);
        }
        drawChart(painter, *charts[i], placed[i].box);
    }
    return painter.end() ? TableDocument::Outcome::Printed : TableDocument::Outcome::Failed;
}

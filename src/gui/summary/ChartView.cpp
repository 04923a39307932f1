#include "gui/summary/ChartView.h"

#include "gui/common/ExportFile.h"
#include "gui/common/ExportFolder.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>

ChartView::ChartView(const QString& name, QChart* chart, QWidget* parent)
    : QChartView(chart, parent) {
    setObjectName(name);
    setRenderHint(QPainter::Antialiasing);
    // Two side by side in a window sharing a 1024-pixel screen with another.
    setMinimumSize(200, 230);
    followPalette(chart, palette());

    menu_ = new QMenu(this);
    QAction* copyAction = menu_->addAction(QStringLiteral("&Copy"));
    copyAction->setObjectName(QStringLiteral("mnuChartCopy"));
    connect(copyAction, &QAction::triggered, this, &ChartView::copy);
    QAction* png = menu_->addAction(QStringLiteral("Save as &PNG..."));
    png->setObjectName(QStringLiteral("mnuChartSavePng"));
    connect(png, &QAction::triggered, this, [this] { save(QStringLiteral("png")); });
    QAction* svg = menu_->addAction(QStringLiteral("Save as &SVG..."));
    svg->setObjectName(QStringLiteral("mnuChartSaveSvg"));
    connect(svg, &QAction::triggered, this, [this] { save(QStringLiteral("svg")); });
}

void ChartView::followPalette(QChart* chart, const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    // The theme sets the series' colours too: only a change of it is applied,
    // so that colours given to the series stay.
    const QChart::ChartTheme theme =
        window.lightness() < 128 ? QChart::ChartThemeDark : QChart::ChartThemeLight;
    if (chart->theme() != theme)
        chart->setTheme(theme);
    chart->setBackgroundBrush(window);
    chart->setBackgroundPen(Qt::NoPen);
    const QColor text = palette.color(QPalette::WindowText);
    chart->setTitleBrush(text);
    chart->legend()->setLabelColor(text);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
    }
}

void ChartView::changeEvent(QEvent* event) {
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette(chart(), palette());
}

void ChartView::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
    event->accept();
}

QImage ChartView::image() const {
    return const_cast<ChartView*>(this)->grab().toImage();
}

QByteArray ChartView::svg() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(chart()->title());
    QPainter painter;
    if (!painter.begin(&svg))
        return QByteArray();
    const_cast<ChartView*>(this)->render(&painter);
    return painter.end() ? buffer.data() : QByteArray();
}

void ChartView::copy() {
    QApplication::clipboard()->setImage(image());
}

void ChartView::save(const QString& suffix) {
    ExportFile::Request request;
    request.dialog.objectName = QStringLiteral("dlgSaveChart");
    request.dialog.caption = QStringLiteral("Save Chart");
    request.dialog.filters = {suffix == QLatin1String("svg") ? QStringLiteral("SVG image (*.svg)")
                                                             : QStringLiteral("PNG image (*.png)")};
    // In the folder the last export went to, as every export offers.
    request.dialog.fileName = ExportFolder::suggest(chart()->title() + QLatin1Char('.') + suffix);
    request.what = QStringLiteral("the chart");
    request.failure = [](const QString& path, const QString& reason) {
        return QStringLiteral("Unable to save the chart to %1: %2").arg(path, reason);
    };
    // Drawn in memory and written as every export is: never over a claim
    // file that is open, a pipe or a device, and a failed write is told.
    const ExportFile::Written written =
        ExportFile::save(this, request, [this](std::ostream& out, const QString& path) {
            QByteArray bytes;
            if (QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
                bytes = svg();
            } else {
                QBuffer buffer(&bytes);
                if (!buffer.open(QIODevice::WriteOnly) || !image().save(&buffer, "PNG"))
                    return false;
            }
            return !bytes.isEmpty() && bool(out.write(bytes.constData(), bytes.size()));
        });
    if (!written)
        return;
    ExportFolder::remember(written.path);
    emit saved(QStringLiteral("Saved chart to %1").arg(QDir::toNativeSeparators(written.path)));
}

#include "gui/summary/ChartView.h"

#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
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
    setMinimumSize(300, 230);
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

bool ChartView::saveTo(const QString& path) const {
    if (QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) != 0)
        return image().save(path, "PNG");
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(chart()->title());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    const_cast<ChartView*>(this)->render(&painter);
    return painter.end();
}

void ChartView::copy() {
    QApplication::clipboard()->setImage(image());
}

void ChartView::save(const QString& suffix) {
    FileDialog::SaveRequest request;
    request.objectName = QStringLiteral("dlgSaveChart");
    request.caption = QStringLiteral("Save Chart");
    request.filters = {suffix == QLatin1String("svg") ? QStringLiteral("SVG image (*.svg)")
                                                      : QStringLiteral("PNG image (*.png)")};
    request.fileName = chart()->title() + QLatin1Char('.') + suffix;
    const QString path = FileDialog::getSaveFileName(this, request);
    if (path.isEmpty())
        return;
    if (!saveTo(path))
        MessageBoxes::showMessage(this, QStringLiteral("Unable to save the chart to %1.").arg(path),
                                  QStringLiteral("Save Chart"), qm::MessageIcon::Critical);
}

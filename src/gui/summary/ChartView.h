#pragma once

#include <QtCharts/QChartView>

class QMenu;

// A chart of the summary window: drawn in the colours of the application's
// palette (a dark palette gets the dark chart theme), and copied or saved as
// PNG or SVG from its context menu (mnuChartCopy, mnuChartSavePng,
// mnuChartSaveSvg).
class ChartView : public QChartView {
    Q_OBJECT
public:
    // The view owns chart; name is its objectName.
    ChartView(const QString& name, QChart* chart, QWidget* parent = nullptr);

    // The chart drawn as an image of the view's size.
    QImage image() const;
    // The chart as an SVG document (UTF-8); empty when it could not be drawn.
    QByteArray svg() const;
    // The context menu, for tests.
    QMenu* menu() const { return menu_; }

    // Puts the chart in the palette's colours: a theme for its text and
    // axes, its background that of the window.
    static void followPalette(QChart* chart, const QPalette& palette);

signals:
    // The chart was saved: "Saved chart to PATH", for the status bar.
    void saved(const QString& confirmation);

protected:
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void copy();
    void save(const QString& suffix);

    QMenu* menu_ = nullptr;
};

#include "gui/summary/BarChart.h"

#include "gui/summary/ChartView.h"

#include <QCursor>
#include <QGraphicsLayout>
#include <QLocale>
#include <QToolTip>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A step between an axis' ticks that reads well: 1, 2 or 5 times a power
// of ten, at least 1, giving at most `steps` steps up to top.
double niceStep(double top, int steps) {
    double step = 1;
    for (int i = 0; top / step > steps; ++i)
        step = std::pow(10.0, i / 3) * std::array<double, 3>{2, 5, 10}[std::size_t(i % 3)];
    return step;
}

// The unit an axis counts in, so that its labels stay short enough to be
// shown whole ("$250k", "1500M"): the largest power of a thousand that the
// step between ticks holds, so that every label is a whole number.
struct AxisUnit {
    double size = 1;
    const char* suffix = "";
};

AxisUnit axisUnit(double step) {
    static const std::array<const char*, 5> kSuffixes{"", "k", "M", "B", "T"};
    AxisUnit unit;
    for (std::size_t i = 1; i < kSuffixes.size() && step >= unit.size * 1000; ++i) {
        unit.size *= 1000;
        unit.suffix = kSuffixes[i];
    }
    return unit;
}

// Hovering a bar shows its category and its figure in full (the axis may
// count in thousands): "Batch: 2\nClaim charges: $1,204.50".
void addBarTips(QAbstractBarSeries* series, const QStringList& categories,
                const QString& categoryTitle, bool money) {
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    for (QBarSet* set : series->barSets()) {
        QStringList tips;
        for (int i = 0; i < set->count(); ++i)
            tips.append(QStringLiteral("%1: %2\n%3: %4")
                            .arg(categoryTitle, categories.value(i), set->label(),
                                 money ? QStringLiteral("$") + grouped.toString(set->at(i), 'f', 2)
                                       : grouped.toString(qlonglong(std::llround(set->at(i))))));
        QObject::connect(set, &QBarSet::hovered, set, [tips](bool on, int index) {
            if (on)
                QToolTip::showText(QCursor::pos(), tips.value(index));
            else
                QToolTip::hideText();
        });
    }
}

} // namespace

QString BarChart::shortLabel(const QString& text, int length) {
    return text.size() <= length ? text : text.left(length - 1) + QChar(0x2026);
}

QChart* BarChart::make(const QString& title, QAbstractBarSeries* series,
                       const QStringList& categories, const QString& categoryTitle,
                       const QString& valueTitle, bool money, const QPalette& palette) {
    auto* chart = new QChart;
    // The theme first: it sets fonts and colours of its own.
    ChartView::followPalette(chart, palette);
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->addSeries(series);
    chart->legend()->hide();
    const bool horizontal = series->type() == QAbstractSeries::SeriesTypeHorizontalBar ||
                            series->type() == QAbstractSeries::SeriesTypeHorizontalStackedBar;
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    categoryAxis->setTitleText(categoryTitle);
    // An axis of no categories draws its title over the chart's own.
    categoryAxis->setTitleVisible(!categories.isEmpty());
    if (horizontal) {
        // Names down the side take room from the bars: a smaller type.
        QFont small = categoryAxis->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        categoryAxis->setLabelsFont(small);
    }
    addBarTips(series, categories, categoryTitle, money);
    qreal top = 0;
    for (const QBarSet* set : series->barSets())
        for (int i = 0; i < set->count(); ++i)
            top = std::max(top, set->at(i));
    // Whole numbers of claims or dollars at every tick, counted in thousands
    // or millions where they are that large: a label of seven digits did
    // not fit beside the next one and was cut.
    // Labels side by side under the bars want more room than those above
    // each other beside them.
    const double rawStep = niceStep(top, horizontal ? 4 : 5);
    const AxisUnit unit = axisUnit(rawStep);
    if (unit.size > 1)
        for (QBarSet* set : series->barSets())
            for (int i = 0; i < set->count(); ++i)
                set->replace(i, set->at(i) / unit.size);
    top /= unit.size;
    const double step = rawStep / unit.size;
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(valueTitle);
    valueAxis->setLabelFormat(
        QStringLiteral("%1%.0f%2")
            .arg(money ? QStringLiteral("$") : QString(), QLatin1String(unit.suffix)));
    chart->addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categoryAxis);
    series->attachAxis(valueAxis);
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(0);
    valueAxis->setTickInterval(step);
    valueAxis->setRange(0, std::max(1.0, std::ceil(top / step)) * step);
    return chart;
}

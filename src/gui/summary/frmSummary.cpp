#include "gui/summary/frmSummary.h"

#include "core/check/ProblemWords.h"
#include "core/layouts/FieldFormat.h"
#include "core/report/SummaryReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"
#include "gui/summary/BarChart.h"
#include "gui/summary/ChartView.h"
#include "gui/summary/MonthBins.h"

#include <QCursor>
#include <QDate>
#include <QEvent>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QHorizontalStackedBarSeries>
#include <QtCharts/QLegend>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// The charts in the order they are drawn, two to a row.
constexpr std::array<const char*, 6> kChartNames{"chtBatches",  "chtProviders",    "chtMonths",
                                                 "chtProblems", "chtClaimCharges", "chtProcedures"};
constexpr int kMonthChart = 2;
constexpr int kProblemChart = 3;

QString number(std::int64_t n) {
    return CountText::number(n);
}

QString money(const qm::FileStatistics::Sum& sum) {
    return QString::fromStdString(qm::SummaryReport::money(sum));
}

// A sum as dollars for a bar; one too large to add up has none to draw.
double dollars(const qm::FileStatistics::Sum& sum) {
    return sum.tooLarge() ? 0.0 : double(sum.cents()) / 100;
}

} // namespace

frmSummary::frmSummary(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(QStringLiteral("File Summary"));
    kindColors_.fill(palette().color(QPalette::Highlight));

    auto* layout = new QVBoxLayout(this);
    headline_ = new QGridLayout;
    headline_->setHorizontalSpacing(24);
    const std::array<std::pair<const char*, QLabel**>, 7> figures{{
        {"Batches", &batches_},
        {"Claims", &claims_},
        {"Service lines", &serviceLines_},
        {"Claim charges (XA0)", &charges_},
        {"Line charges (FA0)", &lineCharges_},
        {"Claims without XA0", &withoutXa0_},
        {"Problems", &problems_},
    }};
    static const char* const kNames[] = {"lblBatches",      "lblClaims",      "lblServiceLines",
                                         "lblTotalCharges", "lblLineCharges", "lblWithoutXa0",
                                         "lblProblems"};
    for (int i = 0; i < int(figures.size()); ++i) {
        auto* figure = new QWidget(this);
        auto* lines = new QVBoxLayout(figure);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(0);
        auto* caption = new QLabel(QLatin1String(figures[std::size_t(i)].first), figure);
        auto* value = new QLabel(QStringLiteral("\u2013"), figure);
        value->setObjectName(QLatin1String(kNames[i]));
        QFont big = value->font();
        big.setPointSizeF(big.pointSizeF() * 1.8);
        big.setBold(true);
        value->setFont(big);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines->addWidget(value);
        lines->addWidget(caption);
        figures_[std::size_t(i)] = figure;
        *figures[std::size_t(i)].second = value;
    }
    layout->addLayout(headline_);
    placeFigures();

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    layout->addWidget(status_);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* area = new QWidget(scroll);
    charts_ = new QGridLayout(area);
    // Every view is there from the start, so that a chart drawn later
    // changes no other view's place or size.
    for (int i = 0; i < int(kChartNames.size()); ++i) {
        auto* view = new ChartView(QLatin1String(kChartNames[std::size_t(i)]), new QChart, area);
        charts_->addWidget(view, i / 2, i % 2);
        connect(view, &ChartView::saved, this, &frmSummary::chartSaved);
        // Nine bins and ten codes down the side want the room to name them.
        if (i >= 4)
            view->setMinimumHeight(kTallChartHeight);
    }
    scroll->setWidget(area);
    layout->addWidget(scroll, 1);
    showFigures();
}

void frmSummary::setStatistics(std::shared_ptr<const qm::FileStatistics> statistics) {
    statistics_ = std::move(statistics);
    showFigures();
}

void frmSummary::setStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
}

void frmSummary::setKindColors(const std::array<QColor, qm::Problem::kKindCount>& colors) {
    kindColors_ = colors;
    drawLater(1u << kProblemChart);
}

ChartView* frmSummary::chartView(const QString& name) const {
    return findChild<ChartView*>(name);
}

QList<QPair<QString, QString>> frmSummary::figures() const {
    QList<QPair<QString, QString>> shown;
    for (const QWidget* figure : figures_) {
        QString texts[2]; // its caption, and its value: the named label
        for (const QLabel* label : figure->findChildren<QLabel*>())
            texts[label->objectName().isEmpty() ? 0 : 1] = label->text();
        shown.append({texts[0], texts[1]});
    }
    return shown;
}

std::vector<QChart*> frmSummary::charts() const {
    std::vector<QChart*> charts;
    for (const char* name : kChartNames)
        charts.push_back(chartView(QLatin1String(name))->chart());
    return charts;
}

void frmSummary::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeFigures();
    // The month chart has as many bars as its width leaves room to name.
    if (statistics_ && !statistics_->months.empty())
        drawLater(1u << kMonthChart);
}

int frmSummary::figuresWidth(int columns) const {
    // The widest figure of each column, side by side.
    int wide = 0;
    for (int column = 0; column < columns; ++column) {
        int widest = 0;
        for (int i = column; i < int(figures_.size()); i += columns)
            widest = std::max(widest, figures_[std::size_t(i)]->sizeHint().width());
        wide += widest + (column > 0 ? headline_->horizontalSpacing() : 0);
    }
    const QMargins margins = layout()->contentsMargins();
    return wide + margins.left() + margins.right();
}

void frmSummary::placeFigures() {
    // One row when they fit, else in as few rows as fit, at most four.
    int columns = kFewestFigureColumns;
    for (const int wanted : {int(figures_.size()), 4, 3})
        if (figuresWidth(wanted) <= width()) {
            columns = wanted;
            break;
        }
    if (columns == figureColumns_)
        return;
    figureColumns_ = columns;
    for (QWidget* figure : figures_)
        headline_->removeWidget(figure);
    for (int i = 0; i < int(figures_.size()); ++i)
        headline_->addWidget(figures_[std::size_t(i)], i / columns, i % columns);
}

QSize frmSummary::minimumSizeHint() const {
    // As narrow as the figures in their fewest columns and two charts side
    // by side: the figures take more rows in a narrower window.
    const int charts = 2 * chartView(QLatin1String(kChartNames[0]))->minimumWidth() +
                       charts_->horizontalSpacing() + charts_->contentsMargins().left() +
                       charts_->contentsMargins().right() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       layout()->contentsMargins().left() + layout()->contentsMargins().right();
    return QSize(std::max(figuresWidth(kFewestFigureColumns), charts),
                 QWidget::minimumSizeHint().height());
}

void frmSummary::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The theme of a chart sets its bars' colours: drawn again in the new one.
    if (event->type() == QEvent::PaletteChange && statistics_)
        showFigures();
}

void frmSummary::drawLater(unsigned charts) {
    pending_ |= charts;
    if (pending_ && !drawQueued_) {
        drawQueued_ = true;
        QTimer::singleShot(0, this, &frmSummary::drawNextChart);
    }
}

void frmSummary::drawNextChart() {
    drawQueued_ = false;
    int i = 0;
    while (i < int(kChartNames.size()) && !(pending_ & (1u << i)))
        ++i;
    if (i == int(kChartNames.size()))
        return;
    pending_ &= ~(1u << i);
    ChartView* view = chartView(QLatin1String(kChartNames[std::size_t(i)]));
    QChart* before = view->chart();
    QChart* drawn = i == 0   ? batchChart()
                    : i == 1 ? providerChart()
                    : i == 2 ? monthChart()
                    : i == 3 ? problemChart()
                    : i == 4 ? chargeChart()
                             : procedureChart();
    view->setChart(drawn);
    ChartView::followPalette(drawn, view->palette());
    delete before;
    if (pending_)
        drawLater(0);
    else
        emit chartsDrawn();
}

void frmSummary::showFigures() {
    const qm::FileStatistics empty;
    const qm::FileStatistics& s = statistics_ ? *statistics_ : empty;
    const bool known = statistics_ != nullptr;
    batches_->setText(known ? number(s.batches) : QStringLiteral("\u2013"));
    claims_->setText(known ? number(s.claims) : QStringLiteral("\u2013"));
    serviceLines_->setText(known ? number(s.serviceLines) : QStringLiteral("\u2013"));
    charges_->setText(known ? money(s.money.charges) : QStringLiteral("\u2013"));
    lineCharges_->setText(known ? money(s.money.lineCharges) : QStringLiteral("\u2013"));
    withoutXa0_->setText(known ? number(s.money.claimsWithoutXa0) : QStringLiteral("\u2013"));
    problems_->setText(known ? number(s.problems) : QStringLiteral("\u2013"));
    placeFigures();
    // One chart per turn of the event loop: building and painting all six
    // at once held the window for longer than a user lets pass unnoticed.
    drawLater((1u << kChartNames.size()) - 1);
}

namespace {

// Two bars for each category: the claims' stated charges (XA0 12.0) and
// their lines' (FA0 13.0), named short enough for the legend of a narrow chart.
struct ChargeBars {
    QBarSet* claims = new QBarSet(QStringLiteral("Claim charges"));
    QBarSet* lines = new QBarSet(QStringLiteral("Line charges"));

    void append(const qm::FileStatistics::Money& money) {
        claims->append(dollars(money.charges));
        lines->append(dollars(money.lineCharges));
    }
    void into(QAbstractBarSeries* series) const {
        series->append(claims);
        series->append(lines);
    }
};

// The legend under a chart of two sets of bars.
QChart* withLegend(QChart* chart) {
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->show();
    return chart;
}

} // namespace

QChart* frmSummary::batchChart() {
    // The statistics keep the batches with the most charges, in file order.
    const std::vector<qm::FileStatistics::Batch> none;
    std::vector<qm::FileStatistics::Batch> shown = statistics_ ? statistics_->perBatch : none;
    // As many bars as their numbers can be read under (the chart names none
    // it cannot hold whole): the ones with the most charges, in file order.
    constexpr int kAxisRoom = 90, kLabelRoom = 10;
    QFont font = this->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    const QFontMetrics metrics(font);
    const int room = std::max(100, chartView(QLatin1String(kChartNames[0]))->width() - kAxisRoom);
    const int widest = metrics.horizontalAdvance(
        number(statistics_ ? std::max<std::int64_t>(statistics_->batches, 1) : 1));
    const int fit = std::max(1, room / (widest + kLabelRoom));
    if (int(shown.size()) > fit) {
        std::vector<std::size_t> order(shown.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return dollars(shown[a].money.charges) > dollars(shown[b].money.charges);
        });
        order.resize(std::size_t(fit));
        std::sort(order.begin(), order.end());
        std::vector<qm::FileStatistics::Batch> most;
        for (std::size_t i : order)
            most.push_back(shown[i]);
        shown = std::move(most);
    }
    const bool all = !statistics_ || std::int64_t(shown.size()) == statistics_->batches;
    ChargeBars bars;
    QStringList categories;
    std::vector<qint64> positions;
    for (const qm::FileStatistics::Batch& batch : shown) {
        bars.append(batch.money);
        categories << number(batch.index + 1);
        positions.push_back(batch.position);
    }
    auto* series = new QBarSeries;
    bars.into(series);
    connect(series, &QBarSeries::clicked, this, [this, positions](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < positions.size())
            emit batchChosen(positions[std::size_t(index)]);
    });
    QChart* chart = withLegend(
        BarChart::make(all ? QStringLiteral("Charges per batch")
                           : QStringLiteral("Charges of the %1 batches with the most, of %2")
                                 .arg(shown.size())
                                 .arg(number(statistics_->batches)),
                       series, categories, QStringLiteral("Batch"), QStringLiteral("Charges ($)"),
                       true, palette()));
    static_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0))->setLabelsFont(font);
    return chart;
}

QChart* frmSummary::providerChart() {
    ChargeBars bars;
    QStringList categories;
    std::vector<qint64> positions; // each provider's first batch
    QStringList texts;
    if (statistics_) {
        const auto& providers = statistics_->providers;
        const int n = std::min<int>(int(providers.size()), kMaxProviderBars);
        // Down the side, the most at the top.
        for (int i = n - 1; i >= 0; --i) {
            const qm::FileStatistics::Provider& p = providers[std::size_t(i)];
            bars.append(p.money);
            // The provider's name, without the number before it unless two
            // providers of one name are shown: the axis would merge their
            // bars under one label.
            const QString text = CoreText::fromFile(p.text);
            const int dash = text.indexOf(QLatin1String(" - "));
            categories << BarChart::shortLabel(dash >= 0 ? text.mid(dash + 3) : text, 22);
            positions.push_back(p.firstPosition);
            texts << text;
        }
        for (int i = 0; i < categories.size(); ++i) {
            const QString label = categories[i];
            if (categories.count(label) > 1)
                for (int j = i; j < categories.size(); ++j)
                    if (categories[j] == label)
                        categories[j] = BarChart::shortLabel(texts[j], 22);
        }
    }
    auto* series = new QHorizontalBarSeries;
    bars.into(series);
    connect(series, &QHorizontalBarSeries::clicked, this, [this, positions](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < positions.size() &&
            positions[std::size_t(index)] > 0)
            emit batchChosen(positions[std::size_t(index)]);
    });
    // Each name wants a line of its own down the side, or the axis shows
    // none of them: the row is made tall enough for the titles, the legend
    // and that.
    const int line = QFontMetrics(this->font()).height();
    chartView(QLatin1String(kChartNames[1]))
        ->setMinimumHeight(8 * line + int(categories.size()) * (line + 10));
    const bool more =
        statistics_ && (statistics_->providers.size() > std::size_t(kMaxProviderBars) ||
                        statistics_->otherProviders.batches > 0);
    return withLegend(BarChart::make(
        more ? QStringLiteral("Charges of the %1 providers with the most").arg(categories.size())
             : QStringLiteral("Charges per provider"),
        series, categories, QStringLiteral("Provider"), QStringLiteral("Charges ($)"), true,
        palette()));
}

QChart* frmSummary::monthChart() {
    auto* set = new QBarSet(QStringLiteral("Claims"));
    QStringList categories;
    // As many bars as their labels leave room for, flat or up the side;
    // the value axis and the margins take about kAxisRoom of the width.
    constexpr int kAxisRoom = 90, kLabelRoom = 12, kMonthPlotHeight = 100;
    QFont font = this->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    const QFontMetrics metrics(font);
    const int room = std::max(100, chartView(QLatin1String(kChartNames[2]))->width() - kAxisRoom);
    const int upright = room / (metrics.height() + kLabelRoom);
    auto flat = [&](int span) {
        return room / (metrics.horizontalAdvance(MonthBins::widestLabel(span)) + kLabelRoom);
    };
    const MonthBins bins(statistics_ ? statistics_->months
                                     : std::vector<qm::FileStatistics::Month>(),
                         [&](int span) { return std::max(1, std::max(upright, flat(span))); });
    std::vector<std::pair<QDate, QDate>> periods;
    for (const MonthBins::Bin& bin : bins.bins()) {
        set->append(double(bin.claims));
        categories << bins.label(bin);
        const QDate first(MonthBins::yearOf(bin.first), MonthBins::monthOf(bin.first), 1);
        const QDate last(MonthBins::yearOf(bin.last), MonthBins::monthOf(bin.last), 1);
        periods.emplace_back(first, last.addDays(last.daysInMonth() - 1));
    }
    auto* series = new QBarSeries;
    series->append(set);
    connect(series, &QBarSeries::clicked, this, [this, periods](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < periods.size())
            emit periodChosen(periods[std::size_t(index)].first,
                              periods[std::size_t(index)].second);
    });
    QChart* drawn = BarChart::make(
        bins.span() == 1
            ? QStringLiteral("Claims per month of service")
            : QStringLiteral("Claims per %1 of service (%2 months)")
                  .arg(bins.unit(),
                       number(std::int64_t(statistics_ ? statistics_->months.size() : 0))),
        series, categories, QStringLiteral("First date of service"), QStringLiteral("Claims"),
        false, palette());
    auto* axis = static_cast<QBarCategoryAxis*>(drawn->axes(Qt::Horizontal).value(0));
    axis->setLabelsFont(font);
    const int bars = int(bins.bins().size());
    if (bars > flat(bins.span()))
        axis->setLabelsAngle(-90);
    // A large font widens the value axis beyond kAxisRoom: once the plot's
    // width is known, labels it cannot hold flat go up the side, whole.
    const int labelRoom =
        metrics.horizontalAdvance(MonthBins::widestLabel(bins.span())) + kLabelRoom;
    connect(drawn, &QChart::plotAreaChanged, axis, [axis, bars, labelRoom](const QRectF& plot) {
        if (bars > 0 && plot.width() < double(bars) * labelRoom)
            axis->setLabelsAngle(-90);
    });
    // Up the side they take their length below the plot: the view is made
    // tall enough for the titles, a plot and that, however large the font.
    const int line = QFontMetrics(this->font()).height();
    chartView(QLatin1String(kChartNames[kMonthChart]))
        ->setMinimumHeight(5 * line + kMonthPlotHeight + labelRoom);
    return drawn;
}

QChart* frmSummary::chargeChart() {
    auto* set = new QBarSet(QStringLiteral("Claims"));
    QStringList categories;
    // Down the side, the least at the top.
    for (std::size_t bin = qm::FileStatistics::kChargeBins; bin-- > 0;) {
        set->append(statistics_ ? double(statistics_->chargeBins[bin]) : 0.0);
        categories << QString::fromStdString(qm::SummaryReport::binLabel(bin));
    }
    auto* series = new QHorizontalBarSeries;
    series->setBarWidth(1.0); // a histogram: the bins touch
    series->append(set);
    return BarChart::make(QStringLiteral("Claim charges"), series, categories,
                          QStringLiteral("Charges (XA0 12.0)"), QStringLiteral("Claims"), false,
                          palette());
}

QChart* frmSummary::problemChart() {
    // One set a kind, each with its bar in its own category, so that each
    // kind has its mark's colour.
    std::vector<qm::Problem::Kind> kinds;
    for (int k = 0; statistics_ && k < qm::Problem::kKindCount; ++k)
        if (statistics_->problemsByKind[std::size_t(k)] > 0)
            kinds.push_back(qm::Problem::Kind(k));
    auto* series = new QHorizontalStackedBarSeries;
    QStringList categories;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const auto kind = kinds[i];
        auto* set = new QBarSet(CoreText::fromUtf8(qm::ProblemWords::kindName(kind)));
        for (std::size_t j = 0; j < kinds.size(); ++j)
            set->append(j == i ? double(statistics_->problemsByKind[std::size_t(kind)]) : 0.0);
        series->append(set);
        categories << set->label();
    }
    connect(series, &QHorizontalStackedBarSeries::clicked, this,
            [this, kinds](int index, QBarSet*) {
                if (index >= 0 && std::size_t(index) < kinds.size())
                    emit kindChosen(kinds[std::size_t(index)]);
            });
    QChart* chart = BarChart::make(
        kinds.empty() && statistics_ ? QStringLiteral("No problems")
                                     : QStringLiteral("Problems by kind"),
        series, categories, QStringLiteral("Kind"), QStringLiteral("Problems"), false, palette());
    // After the theme, which sets colours of its own.
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const QColor color = kindColors_[std::size_t(kinds[i])];
        series->barSets().at(int(i))->setColor(color);
        series->barSets().at(int(i))->setBorderColor(color.darker(130));
    }
    return chart;
}

QChart* frmSummary::procedureChart() {
    auto* set = new QBarSet(QStringLiteral("Service lines"));
    QStringList categories;
    QStringList codes;
    if (statistics_) {
        // Down the side, the most at the top.
        const auto& top = statistics_->topByLines;
        for (auto p = top.rbegin(); p != top.rend(); ++p) {
            set->append(double(p->serviceLines));
            codes << CoreText::fromFile(p->code);
            categories << codes.constLast();
        }
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    connect(series, &QHorizontalBarSeries::clicked, this, [this, codes](int index, QBarSet*) {
        if (index >= 0 && index < codes.size())
            emit procedureChosen(codes.at(index));
    });
    // Too many codes to be sure that none not listed has as many: said plainly.
    return BarChart::make(statistics_ && statistics_->topProceduresApproximate
                              ? QStringLiteral("Top procedure codes (approximate)")
                              : QStringLiteral("Top procedure codes"),
                          series, categories, QStringLiteral("Code (FA0 09.0)"),
                          QStringLiteral("Service lines"), false, palette());
}

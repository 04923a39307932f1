#include "gui/summary/frmSummary.h"

#include "core/check/ProblemWords.h"
#include "core/layouts/FieldFormat.h"
#include "core/report/SummaryReport.h"
#include "gui/common/CoreText.h"
#include "gui/summary/ChartView.h"

#include <QEvent>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
#include <QTimer>
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
constexpr int kProblemChart = 3;

QString number(std::int64_t n) {
    return QLocale::c().toString(qlonglong(n));
}

QString money(std::int64_t cents) {
    return QString::fromStdString(qm::FieldFormat::money(cents));
}

// A step between an axis' ticks that reads well: 1, 2 or 5 times a power
// of ten, at least 1, giving at most about five steps up to top.
double niceStep(double top) {
    double step = 1;
    while (top / step > 5)
        step *= (QString::number(step).startsWith(QLatin1Char('2'))) ? 2.5 : 2;
    return step;
}

// A category's label cut to a length that fits under or beside a bar.
QString shortLabel(const QString& text, int length) {
    return text.size() <= length ? text : text.left(length - 1) + QChar(0x2026);
}

// A chart of bars, one category each, with its title and axis titles; a
// horizontal one lists its categories down the side.
QChart* barChart(const QString& title, QAbstractBarSeries* series, const QStringList& categories,
                 const QString& categoryTitle, const QString& valueTitle, bool money,
                 const QPalette& palette) {
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
    if (horizontal) {
        // Names down the side take room from the bars: a smaller type.
        QFont small = categoryAxis->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        categoryAxis->setLabelsFont(small);
    }
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(valueTitle);
    valueAxis->setLabelFormat(money ? QStringLiteral("$%.0f") : QStringLiteral("%.0f"));
    chart->addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categoryAxis);
    series->attachAxis(valueAxis);
    qreal top = 0;
    for (const QBarSet* set : series->barSets())
        for (int i = 0; i < set->count(); ++i)
            top = std::max(top, set->at(i));
    // Whole numbers of claims or dollars at every tick.
    const double step = niceStep(top);
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(0);
    valueAxis->setTickInterval(step);
    valueAxis->setRange(0, std::max(1.0, std::ceil(top / step)) * step);
    return chart;
}

} // namespace

frmSummary::frmSummary(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(QStringLiteral("File Summary"));
    kindColors_.fill(palette().color(QPalette::Highlight));

    auto* layout = new QVBoxLayout(this);
    auto* headline = new QGridLayout;
    const std::array<std::pair<const char*, QLabel**>, 5> figures{{
        {"Batches", &batches_},
        {"Claims", &claims_},
        {"Service lines", &serviceLines_},
        {"Total charges", &charges_},
        {"Problems", &problems_},
    }};
    static const char* const kNames[] = {"lblBatches", "lblClaims", "lblServiceLines",
                                         "lblTotalCharges", "lblProblems"};
    for (int i = 0; i < int(figures.size()); ++i) {
        auto* caption = new QLabel(QLatin1String(figures[std::size_t(i)].first), this);
        auto* value = new QLabel(QStringLiteral("\u2013"), this);
        value->setObjectName(QLatin1String(kNames[i]));
        QFont big = value->font();
        big.setPointSizeF(big.pointSizeF() * 1.8);
        big.setBold(true);
        value->setFont(big);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        headline->addWidget(value, 0, i);
        headline->addWidget(caption, 1, i);
        *figures[std::size_t(i)].second = value;
    }
    layout->addLayout(headline);

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

ChartView* frmSummary::chart(const QString& name) const {
    return findChild<ChartView*>(name);
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
    ChartView* view = chart(QLatin1String(kChartNames[std::size_t(i)]));
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
    charges_->setText(known ? money(s.charges) : QStringLiteral("\u2013"));
    problems_->setText(known ? number(s.problems) : QStringLiteral("\u2013"));
    // One chart per turn of the event loop: building and painting all six
    // at once held the window for longer than a user lets pass unnoticed.
    drawLater((1u << kChartNames.size()) - 1);
}

QChart* frmSummary::batchChart() {
    std::vector<const qm::FileStatistics::Batch*> shown;
    if (statistics_)
        for (const qm::FileStatistics::Batch& batch : statistics_->perBatch)
            shown.push_back(&batch);
    const bool all = int(shown.size()) <= kMaxBatchBars;
    if (!all) {
        std::partial_sort(shown.begin(), shown.begin() + kMaxBatchBars, shown.end(),
                          [](const auto* a, const auto* b) { return a->charges > b->charges; });
        shown.resize(kMaxBatchBars);
        std::sort(shown.begin(), shown.end(),
                  [](const auto* a, const auto* b) { return a->index < b->index; });
    }
    auto* set = new QBarSet(QStringLiteral("Charges"));
    QStringList categories;
    std::vector<qint64> positions;
    for (const auto* batch : shown) {
        set->append(double(batch->charges) / 100);
        categories << number(batch->index + 1);
        positions.push_back(batch->position);
    }
    auto* series = new QBarSeries;
    series->append(set);
    connect(series, &QBarSeries::clicked, this, [this, positions](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < positions.size())
            emit batchChosen(positions[std::size_t(index)]);
    });
    return barChart(
        all ? QStringLiteral("Charges per batch")
            : QStringLiteral("Charges of the %1 batches with the most").arg(kMaxBatchBars),
        series, categories, QStringLiteral("Batch"), QStringLiteral("Charges ($)"), true,
        palette());
}

QChart* frmSummary::providerChart() {
    auto* set = new QBarSet(QStringLiteral("Charges"));
    QStringList categories;
    std::vector<qint64> positions; // each provider's first batch
    if (statistics_) {
        const auto& providers = statistics_->providers;
        const int n = std::min<int>(int(providers.size()), kMaxProviderBars);
        // Down the side, the most at the top.
        for (int i = n - 1; i >= 0; --i) {
            const qm::FileStatistics::Provider& p = providers[std::size_t(i)];
            set->append(double(p.charges) / 100);
            // The provider's name, without the number before it.
            const QString text = CoreText::fromFile(p.text);
            const int dash = text.indexOf(QLatin1String(" - "));
            categories << shortLabel(dash >= 0 ? text.mid(dash + 3) : text, 22);
            const auto first =
                std::find_if(statistics_->perBatch.begin(), statistics_->perBatch.end(),
                             [&p](const qm::FileStatistics::Batch& b) {
                                 return b.text.size() >= p.text.size() &&
                                        b.text.compare(b.text.size() - p.text.size(), p.text.size(),
                                                       p.text) == 0;
                             });
            positions.push_back(first != statistics_->perBatch.end() ? first->position : -1);
        }
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    connect(series, &QHorizontalBarSeries::clicked, this, [this, positions](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < positions.size() &&
            positions[std::size_t(index)] > 0)
            emit batchChosen(positions[std::size_t(index)]);
    });
    return barChart(QStringLiteral("Charges per provider"), series, categories,
                    QStringLiteral("Provider"), QStringLiteral("Charges ($)"), true, palette());
}

QChart* frmSummary::monthChart() {
    auto* set = new QBarSet(QStringLiteral("Claims"));
    QStringList categories;
    std::vector<qm::FileStatistics::Month> months;
    if (statistics_)
        months = statistics_->months;
    for (const qm::FileStatistics::Month& m : months) {
        set->append(double(m.claims));
        // The year under the month, so that many months still fit.
        categories << QStringLiteral("%1<br>%2").arg(m.month, 2, 10, QLatin1Char('0')).arg(m.year);
    }
    auto* series = new QBarSeries;
    series->append(set);
    connect(series, &QBarSeries::clicked, this, [this, months](int index, QBarSet*) {
        if (index >= 0 && std::size_t(index) < months.size())
            emit monthChosen(months[std::size_t(index)].year, months[std::size_t(index)].month);
    });
    return barChart(QStringLiteral("Claims per month of service"), series, categories,
                    QStringLiteral("Month of the first date of service"), QStringLiteral("Claims"),
                    false, palette());
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
    return barChart(QStringLiteral("Claim charges"), series, categories,
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
    QChart* chart = barChart(kinds.empty() && statistics_ ? QStringLiteral("No problems")
                                                          : QStringLiteral("Problems by kind"),
                             series, categories, QStringLiteral("Kind"), QStringLiteral("Problems"),
                             false, palette());
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
    return barChart(QStringLiteral("Top procedure codes"), series, categories,
                    QStringLiteral("Code (FA0 09.0)"), QStringLiteral("Service lines"), false,
                    palette());
}

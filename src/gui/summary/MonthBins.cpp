#include "gui/summary/MonthBins.h"

#include <algorithm>
#include <array>

namespace {

// The spans a bar may take, in months.
constexpr std::array<int, 14> kSpans{1,   3,   6,    12,   24,   60,    120,
                                     240, 600, 1200, 2400, 6000, 12000, 120000};

int indexOf(const qm::FileStatistics::Month& month) {
    return month.year * 12 + month.month - 1;
}

} // namespace

MonthBins::MonthBins(const std::vector<qm::FileStatistics::Month>& months,
                     const std::function<int(int span)>& maxBars) {
    for (const int span : kSpans) {
        // The months are in order: a bin is a run of them with one start.
        const int most = std::min(kMaxBars, maxBars(span));
        int bars = 0;
        int lastStart = -1;
        for (const qm::FileStatistics::Month& m : months) {
            const int start = indexOf(m) / span * span;
            if (start != lastStart && ++bars > most)
                break;
            lastStart = start;
        }
        span_ = span;
        if (bars <= most)
            break;
    }
    // A long span is kept within the calendar's years, 1 to 9999.
    constexpr int kFirst = 12, kLast = 9999 * 12 + 11;
    for (const qm::FileStatistics::Month& m : months) {
        const int start = indexOf(m) / span_ * span_;
        if (bins_.empty() || bins_.back().start != start)
            bins_.push_back(
                {start, std::max(start, kFirst), std::min(start + span_ - 1, kLast), 0});
        bins_.back().claims += m.claims;
    }
}

QString MonthBins::label(const Bin& bin) const {
    const QString year = QStringLiteral("%1").arg(yearOf(bin.first), 4, 10, QLatin1Char('0'));
    switch (span_) {
    case 1:
        return QStringLiteral("%1-%2").arg(year).arg(monthOf(bin.first), 2, 10, QLatin1Char('0'));
    case 3:
        return QStringLiteral("%1 Q%2").arg(year).arg(bin.first % 12 / 3 + 1);
    case 6:
        return QStringLiteral("%1 H%2").arg(year).arg(bin.first % 12 / 6 + 1);
    case 12:
        return year;
    default:
        return yearOf(bin.last) == yearOf(bin.first)
                   ? year
                   : QStringLiteral("%1-%2").arg(year).arg(yearOf(bin.last), 4, 10,
                                                           QLatin1Char('0'));
    }
}

QString MonthBins::widestLabel(int span) {
    MonthBins bins({}, [](int) { return 1; });
    bins.span_ = span;
    const int start = 2000 * 12 / span * span;
    return bins.label({start, start, start + span - 1, 0});
}

QString MonthBins::unit() const {
    switch (span_) {
    case 1:
        return QStringLiteral("month");
    case 3:
        return QStringLiteral("quarter");
    case 6:
        return QStringLiteral("half year");
    case 12:
        return QStringLiteral("year");
    default:
        return QStringLiteral("%1 years").arg(span_ / 12);
    }
}

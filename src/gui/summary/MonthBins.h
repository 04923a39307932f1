#pragma once

#include "core/check/FileStatistics.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The claims per month of service as so many bars that their labels fit: a
// bar a month when there are that few months, else a bar a quarter, half
// year, year or run of years, the shortest that needs no more bars. Bins
// without claims are left out, as months without claims are. However many
// months a file names (ten thousand years of them), the chart stays at most
// kMaxBars bars.
class MonthBins {
public:
    static constexpr int kMaxBars = 36;

    // Months are counted from the start of year 0: year * 12 + month - 1.
    struct Bin {
        int start = 0; // where its span starts
        int first = 0; // its first and last month, within years 1 to 9999
        int last = 0;
        std::int64_t claims = 0;
    };

    // maxBars(span): how many bars of a span (in months) there is room for.
    MonthBins(const std::vector<qm::FileStatistics::Month>& months,
              const std::function<int(int span)>& maxBars);

    const std::vector<Bin>& bins() const { return bins_; }
    // How many months a bar spans: 1, 3, 6, 12 or a multiple of 12.
    int span() const { return span_; }
    // A bar's label: "2024-03", "2024 Q1", "2024 H2", "2024", "2020-2024".
    QString label(const Bin& bin) const;
    // What a bar stands for: "month", "quarter", "half year", "year", "5 years".
    QString unit() const;
    // A label as wide as the widest of a span.
    static QString widestLabel(int span);

    static int yearOf(int month) { return month / 12; }
    static int monthOf(int month) { return month % 12 + 1; }

private:
    std::vector<Bin> bins_;
    int span_ = 1;
};

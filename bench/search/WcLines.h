#pragma once

#include <QString>
#include <vector>

// `wc -l` over the benchmark's file, timed, for figures taken against it in
// the same run: on a shared machine only those compare.
class WcLines {
public:
    // Wall seconds of one `wc -l file`; -1 when it could not run.
    static double seconds(const QString& file);
    // The median and the smallest of some times.
    static double median(std::vector<double> values);
    static double least(const std::vector<double>& values);
    // The load average of the last minute.
    static double load();
};

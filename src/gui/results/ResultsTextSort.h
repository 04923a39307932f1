#pragma once

#include "gui/results/ResultsSortSource.h"

#include <atomic>
#include <vector>

// Sorts millions of rows by a column's texts off the GUI thread, where most
// rows share a few texts (a field's name, a kind, a record key): workers read
// the texts and number each distinct one, the distinct texts alone are
// compared, and the rows are put in order by their text's rank in one
// counting pass, stably from the order given. Texts compare as
// QSortFilterProxyModel compares them (case-sensitively), ties keep the order given.
class ResultsTextSort {
public:
    enum class Result { Sorted, TooVaried, Cancelled };
    // Beyond this many distinct texts a worker's numbering would cost more memory
    // than it saves: TooVaried, and the caller sorts another way.
    static constexpr int kMaxDistinct = 1 << 18;

    // Sorts source rows [0, count) read by `read`, from the order given
    // (empty: the source's own), into `order` (the source row of each
    // sorted row) and `rank` (the sorted row of each source row).
    static Result sort(const ResultsSortSource::TextReader& read, int count,
                       const std::vector<int>& from, bool descending, int workers,
                       const std::atomic<bool>& cancelled, std::vector<int>& order,
                       std::vector<int>& rank);
};

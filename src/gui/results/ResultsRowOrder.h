#pragma once

#include <Qt>
#include <memory>
#include <utility>
#include <vector>

class QAbstractItemModel;

// The order a results table's rows are sorted in, below its filter: the
// source's own (nothing kept per row, so that ten million rows pass through
// without a pass over them), or a sorted order kept as the source row of each
// sorted row, with the other way round made when first asked after a change.
//
// A sort reads the order as it stood when it began (shared()): a change while
// it does (rows arriving) copies it first, a sort starting never (40 MB).
class ResultsRowOrder {
public:
    ~ResultsRowOrder();

    bool isSorted() const { return sorted_; }
    int column() const { return column_; }
    Qt::SortOrder order() const { return order_; }
    // The source's rows taken in so far.
    int rows() const { return rows_; }

    int sourceRowOf(int sortedRow) const {
        return sorted_ ? (*sourceRows_)[std::size_t(sortedRow)] : sortedRow;
    }
    // The sorted row of a source row, or -1.
    int sortedRowOf(int sourceRow) const;
    // The same for several source rows at once: found by one look along the
    // order when its other way round is not kept.
    std::vector<int> sortedRowsOf(const std::vector<int>& sourceRows) const;
    // The order as it stands, for a sort to start from; null when unsorted.
    std::shared_ptr<const std::vector<int>> shared() const {
        return sorted_ ? sourceRows_ : nullptr;
    }

    // The rows take this order (sorted, with its rank when known), or the
    // source's (unsorted); counted again. The old order is let go of off this thread.
    void take(const QAbstractItemModel* source, bool sorted, int column, Qt::SortOrder order,
              std::vector<int> rows, std::vector<int> rank);
    // Sorted by this column once the rows are read again (a sort a change cut short).
    void sortBy(int column, Qt::SortOrder order);
    void setUnsorted() { sorted_ = false; }
    // The source's rows read again (none without a source): sorted here and
    // now when sorted, and counted.
    void readAgain(const QAbstractItemModel* source);
    // Source rows appended while unsorted.
    void append(int count) { rows_ += count; }
    // Where source rows appended while sorted go, as a sorting proxy places
    // them: runs of rows, each with the sorted row it goes before, ascending.
    std::vector<std::pair<int, std::vector<int>>> placesOf(const QAbstractItemModel& source,
                                                           int first, int last) const;
    // Source rows taking sorted places from a sorted row on.
    void insert(int first, const std::vector<int>& added);

private:
    // Orders longer than this keep no rank unless asked for one: ten million
    // rows' is another 40 MB, and a sort's persistent cells are found
    // without it.
    static constexpr std::size_t kRankKeptRows = std::size_t(1) << 20;

    // The rows as they stand, in the order kept or the source's own.
    void count(const QAbstractItemModel* source);

    bool sorted_ = false;
    int column_ = -1;
    Qt::SortOrder order_ = Qt::AscendingOrder;
    int rows_ = 0;
    std::shared_ptr<std::vector<int>> sourceRows_ = std::make_shared<std::vector<int>>();
    mutable std::vector<int> rank_;
    mutable bool rankStale_ = true;
};

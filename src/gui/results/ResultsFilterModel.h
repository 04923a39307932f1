#pragma once

#include "gui/results/ResultsRowFilter.h"
#include "gui/results/ResultsRowOrder.h"
#include "gui/results/ResultsSortKey.h"
#include "gui/results/ResultsSourceLink.h"

#include <QAbstractProxyModel>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QTimer;
class ResultsSortJob;

// The rows a results window shows: those of its source model that hold the
// filter text in any column (case ignored) and, when a category is chosen,
// whose CategoryRole equals it; sorted by SortRole where the source gives
// one, else by the text shown.
//
// A new filter is worked out over the rows a slice per turn of the event
// loop, so that a million rows never hold the window; until it is done the
// rows shown stay the previous filter's (isFiltering() says so), then the new
// ones replace them in one step. A newer filter drops the older one's work.
// Rows that arrive meanwhile are shown at once when they pass the filter
// shown, and the new filter weighs them too.
//
// Sorting is done below the filter, so a new filter never sorts again. It
// orders rows as a QSortFilterProxyModel does (stably from the order shown;
// rows that arrive take their places as it gives them), but a large sort
// reads the rows' values a slice per turn and is worked out on a worker:
// until it is done the rows shown keep their order (isSorting() says so),
// then they take the new one in one step. A newer sort drops the older.
//
// Unsorted (or sorted by a SourceOrderRole column ascending) and unfiltered,
// the rows pass through as the source has them, nothing kept per row, so
// that ten million rows open, and more arrive, without a pass over them. A
// sort or a filter builds what it needs; back to unsorted and unfiltered, it
// is dropped.
class ResultsFilterModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    enum Role {
        // A value to sort a column by (a number for keys and amounts) when the
        // text shown would sort wrongly.
        SortRole = ResultsSortKey::kSortRole,
        // The row's category (any column), for the category filter; a
        // QStringList puts it in each of them.
        CategoryRole,
        // Of a column's header: true for a column the CSV export writes but
        // the window does not show (what a spreadsheet wants apart, such as
        // the stored digits of an amount shown as money).
        ExportOnlyRole,
        // Of a column's header: true when the source's rows already stand in
        // that column's ascending order, so that sorting by it ascending keeps
        // them as they are instead of sorting millions of rows.
        SourceOrderRole,
    };

    explicit ResultsFilterModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;
    void setText(const QString& text);
    // An invalid value shows every category.
    void setCategory(const QVariant& category);
    // True while a filter chosen is still being worked out (the rows shown
    // are the previous filter's).
    bool isFiltering() const { return pending_.has_value(); }
    // True while a sort asked for is still being worked out (the rows shown
    // keep the order they had).
    bool isSorting() const { return sortJob_ != nullptr; }
    // The rows stand in an order of their own (one kept per row), not the source's.
    bool isSorted() const { return order_.isSorted(); }
    // How long one turn of the event loop may work on a new filter or read
    // values for a sort; at 0 a turn takes one small batch of rows, and every
    // sort is worked out on a worker.
    void setMsPerTurn(int ms) { msPerTurn_ = ms; }
    // Above this many rows a sort keeps no values but whole numbers, and
    // sorts texts in runs of half as many (two million by default).
    void setMaxKeptRows(int rows) { maxKeptRows_ = rows; }

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // isFiltering() changed.
    void filteringChanged(bool filtering);
    // isSorting() changed.
    void sortingChanged(bool sorting);

public:
    ~ResultsFilterModel() override;

private:
    // Between the source's rows, the sorted ones (the source's own order
    // unless sorting_) and the rows shown (every sorted row unless filtered).
    int sourceRowOf(int sortedRow) const { return order_.sourceRowOf(sortedRow); }
    int sortedRowOf(int sourceRow) const { return order_.sortedRowOf(sourceRow); }
    int sortedRowShown(int shownRow) const {
        return shownFilter_.showsAll() ? shownRow : shown_[std::size_t(shownRow)];
    }
    // The row shown for a sorted row, or -1.
    int shownRowOf(int sortedRow) const;
    // Where a sorted row stands in a list of sorted rows shown, or -1.
    static int positionIn(const std::vector<int>& shown, int sortedRow);
    bool accepts(const ResultsRowFilter& filter, int sourceRow) const {
        return filter.accepts(*sourceModel(), sourceRow, CategoryRole);
    }
    const ResultsRowFilter& pendingFilter() const {
        return pending_ ? pending_->filter() : shownFilter_;
    }
    // Whether a sort by this column and order needs an order of its own: not
    // when the rows stand in that order already.
    bool needsSorting(int column, Qt::SortOrder order) const;
    // The sort job has ended: the rows shown take its order, or (it failed)
    // keep theirs.
    void sortEnded();
    void cancelSort();
    // Lets go of the sort's job; whether it had said it sorts.
    bool dropSortJob();
    // The rows shown take this order (sorted, with its rank when known), or
    // the source's (unsorted).
    void reorder(bool sorted, int column, Qt::SortOrder order, std::vector<int> rows,
                 std::vector<int> rank);
    // Rows appended to the source while sorted: placed as a sorting proxy
    // places them.
    void sortedSourceRowsInserted(int first, int last);
    void connectSource();
    void request(const ResultsRowFilter& filter);
    void stopFiltering();
    // Works out the filter asked for over the next slice of rows; shows its
    // rows once every row is weighed.
    void filterSome();
    void showFiltered();
    // Rows appended to the source while it is shown in its own order.
    void sourceRowsInserted(int first, int last);
    // For changes the results models never make (rows inserted in the middle
    // or removed, moves, new data): everything read and filtered again.
    void beginResync();
    void endResync();

    // Source rows taking sorted places from a sorted row on.
    void sortedRowsInserted(int first, const std::vector<int>& added);
    void sortedLayoutAboutToBeChanged();
    void sortedLayoutChanged();

    ResultsSourceLink sourceLink_;
    QTimer* work_ = nullptr;
    ResultsRowOrder order_;
    ResultsSortJob* sortJob_ = nullptr;
    // A sort that a change of the source's rows cut short, done once they are read again.
    std::optional<std::pair<int, Qt::SortOrder>> resort_;
    // Sorted rows shown, ascending, unless every row is.
    std::vector<int> shown_;
    ResultsRowFilter shownFilter_;
    // The filter being worked out, if any.
    std::optional<ResultsFilterPass> pending_;
    int msPerTurn_;
    int maxKeptRows_;
    bool resyncing_ = false;
    // Across a sort: the source rows shown and the persistent indexes' cells.
    std::vector<char> keptSourceRows_;
    QModelIndexList persistentBefore_;
    std::vector<std::pair<int, int>> persistentCells_;
};

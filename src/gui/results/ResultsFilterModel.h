#pragma once

#include <QAbstractProxyModel>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

class QTimer;
class ResultsSortModel;

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
// shown, and the new filter weighs them too. Sorting is done below the filter
// (ResultsSortModel), so a new filter never sorts again.
//
// Unsorted (or sorted by a SourceOrderRole column ascending) and unfiltered,
// the rows pass through as the source has them: no sort model over them and
// nothing kept per row, so that ten million rows open, and more arrive,
// without a pass over them. A sort or a filter builds what it needs; back
// to unsorted and unfiltered, it is dropped.
class ResultsFilterModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    enum Role {
        // A value to sort a column by (a number for keys and amounts) when the
        // text shown would sort wrongly.
        SortRole = Qt::UserRole + 100,
        // The row's category (any column), for the category filter.
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
    // How long one turn of the event loop may work on a new filter; at 0 a
    // turn weighs one small batch of rows.
    void setMsPerTurn(int ms) { msPerTurn_ = ms; }

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

private:
    struct Filter {
        QString text;
        QVariant category;
        bool operator==(const Filter& other) const {
            return text == other.text && category == other.category;
        }
    };

    static bool showsAll(const Filter& filter) {
        return filter.text.isEmpty() && !filter.category.isValid();
    }
    bool accepts(const Filter& filter, int sourceRow) const;
    // Between the source's rows, the sorted ones (the source's own order
    // unless sorting_) and the rows shown (every sorted row unless filtered).
    int sourceRowOf(int sortedRow) const {
        return sorting_ ? order_[std::size_t(sortedRow)] : sortedRow;
    }
    int sortedRowOf(int sourceRow) const;
    int sortedRowShown(int shownRow) const {
        return showsAll(shownFilter_) ? shownRow : shown_[std::size_t(shownRow)];
    }
    // The row shown for a sorted row, or -1.
    int shownRowOf(int sortedRow) const;
    // Where a sorted row stands in a list of sorted rows shown, or -1.
    static int positionIn(const std::vector<int>& shown, int sortedRow);
    // Whether a sort by this column and order needs the sort model: not when
    // the rows stand in that order already.
    bool needsSorting(int column, Qt::SortOrder order) const;
    // Connects what follows the sort model's own handling of the source.
    void connectAfterSorted();
    void request(const Filter& filter);
    void stopFiltering();
    // Works out the filter asked for over the next slice of rows; shows its
    // rows once every row is weighed.
    void filterSome();
    void showFiltered();
    // The sorted rows read again: the sort model's order, or the source's own.
    void readOrder();
    // Rows appended to the source while it is shown in its own order.
    void sourceRowsInserted(int first, int last);
    // For changes the results models never make (rows inserted in the middle
    // or removed, moves, new data): everything read and filtered again.
    void beginResync();
    void endResync();

    void sortedRowsInserted(int first, int last);
    void sortedLayoutAboutToBeChanged();
    void sortedLayoutChanged();
    void sortedDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);

    ResultsSortModel* sorted_ = nullptr;
    std::vector<QMetaObject::Connection> sourceConnections_;
    std::vector<QMetaObject::Connection> afterSortedConnections_;
    QTimer* work_ = nullptr;
    // The sort model holds the source and orders its rows.
    bool sorting_ = false;
    // While the sort model is given or taken the source: what it says is
    // not news.
    bool switchingSort_ = false;
    // The source's rows as far as this model has taken them in.
    int sortedRows_ = 0;
    // Source row of each sorted row, when sorting_.
    std::vector<int> order_;
    // Sorted rows shown, ascending, unless every row is.
    std::vector<int> shown_;
    Filter shownFilter_;
    // The filter being worked out, if any, and how far.
    std::optional<Filter> pending_;
    std::vector<char> pendingAccepts_; // by source row: weighed yet, and how
    int pendingNext_ = 0;
    int msPerTurn_;
    bool resyncing_ = false;
    // Across a sort: the source rows shown and the persistent indexes' cells.
    std::vector<char> keptSourceRows_;
    QModelIndexList persistentBefore_;
    std::vector<std::pair<int, int>> persistentCells_;
};

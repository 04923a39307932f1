#pragma once

#include "gui/results/ResultsSortKey.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class QAbstractItemModel;
class QTimer;
class ResultsSortSource;

// One sort of a results model's first rows by a column: their values read a
// slice per turn of the event loop, then sorted here and now (a small table)
// or on a worker. A large sort by texts that the source lets any thread read
// (ResultsSortSource) is read and sorted on workers (ResultsTextSort), unless
// the texts are too many different ones. Whole numbers are kept as they are read (8 bytes a row);
// other values as sort keys, except that texts of more than maxKeptRows rows
// are read and sorted in runs of half as many, merged a slice per turn.
//
// It says announced() once it takes longer than the turn it was started in,
// and ended() once: sorted (takeSorted() gives the order; values that cannot
// be kept are sorted here and now, reading them per comparison) or failed (a
// worker ran out of memory). cancel() ends it without a word.
class ResultsSortJob : public QObject {
    Q_OBJECT
public:
    enum class End { Running, Sorted, Failed };
    // The source row of each sorted row, and the other way round (empty when
    // not worked out on the way).
    struct Sorted {
        std::vector<int> order;
        std::vector<int> rank;
    };
    struct Limits {
        int msPerTurn = 15;
        int maxKeptRows = 2'000'000;
    };

    // Sorts the source's first `count` rows stably from the order given
    // (empty: the source's own).
    ResultsSortJob(const QAbstractItemModel& source, int column, Qt::SortOrder order, int count,
                   std::shared_ptr<const std::vector<int>> from, Limits limits,
                   QObject* parent = nullptr);
    ~ResultsSortJob() override;

    void start();
    void cancel();

    int column() const { return column_; }
    Qt::SortOrder order() const { return order_; }
    int count() const { return count_; }
    bool isAnnounced() const { return announced_; }
    End end() const { return end_; }
    // The order sorted, rows that arrived meanwhile at their places.
    Sorted takeSorted();
    // Rows appended to the source while it sorts, taken in when it ends.
    void rowsArrived(int first, int last);

    // Sorts rows stably from the order given (empty: the first `count`) by
    // whole numbers or else by keys, both by row, with the rank of each row
    // when asked; throws Cancelled once `cancelled` is set.
    struct Cancelled {};
    static Sorted sortRows(std::vector<int> rows, int count, bool descending, const qint64* numbers,
                           const std::vector<ResultsSortKey>* keys,
                           const std::atomic<bool>& cancelled, bool ranked = true);

signals:
    void announced();
    void ended();

private:
    // Runs work() on a thread of its own, then took(what it gave) here; a
    // failure (out of memory) ends the sort.
    template <typename T, typename Work, typename Took> void onWorker(Work work, Took took);
    // The source as one that workers may read, for a sort large enough to
    // go to them; null otherwise.
    const ResultsSortSource* workerSource() const;
    // Whole numbers that the source lets workers read: read and sorted
    // there; false when not so.
    bool sortNumbersOnWorker();
    // Texts that the source lets workers read: read, numbered and sorted
    // there, the rows of each text counted into place; false when not so.
    bool sortTextsOnWorkers();
    void readKeys();
    // Whole numbers no more: every row's value kept as a key, or (too many)
    // runs or a sort here instead; false when the reading stops there.
    bool keepKeys(const QVariant& value);
    void readRun();
    void sortOnWorker();
    void runSorted(std::vector<int> run);
    void mergeRuns();
    void nextTurn();
    void announce();
    // Values that cannot be kept: every row sorted here and now, reading
    // them per comparison.
    void sortHereNow();
    void finish(End end, Sorted sorted = {});
    void releaseValues();
    // The source row at a place of the order sorted from.
    int fromRow(int place) const {
        return from_ && !from_->empty() ? (*from_)[std::size_t(place)] : place;
    }
    // That order, copied (empty: the source's own).
    std::vector<int> fromRows() const { return from_ ? *from_ : std::vector<int>(); }

    const QAbstractItemModel& source_;
    const int column_;
    const Qt::SortOrder order_;
    const int count_;
    // Read here and on workers, never changed: the proxy changes a copy.
    std::shared_ptr<const std::vector<int>> from_;
    std::vector<std::pair<int, int>> arrived_;
    const Limits limits_;
    QTimer* turn_ = nullptr;
    End end_ = End::Running;
    Sorted sorted_;
    bool announced_ = false;
    // By source row, what the rows sort by: whole numbers while every row's
    // sort value is one (written as they are read), else the values as they are.
    std::shared_ptr<qint64[]> numbers_;
    std::shared_ptr<std::vector<ResultsSortKey>> keys_;
    int read_ = 0;
    int withSortValue_ = 0;
    // Where some rows have a sort value and some not, all are compared by
    // what they show: a second reading for the rows with one.
    bool readingShown_ = false;
    // Texts of more than maxKeptRows rows: runs of half as many, of the order
    // sorted from, each read and sorted by itself (keys_ by place in the
    // run), then merged.
    bool inRuns_ = false;
    int runStart_ = 0;
    std::vector<std::vector<int>> runs_;
    bool merging_ = false;
    std::vector<std::size_t> heads_;
    std::vector<ResultsSortKey> headKeys_;
    std::vector<int> merged_;
    std::vector<int> mergedRank_;
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    QObject* watcher_ = nullptr;
};

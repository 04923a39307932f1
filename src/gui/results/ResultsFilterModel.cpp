#include "gui/results/ResultsFilterModel.h"

#include "gui/common/BackgroundRelease.h"
#include "gui/results/ResultsSortKey.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QPromise>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>
#include <tuple>

namespace {

// Work per turn of the event loop, well within what a user notices.
constexpr int kMsPerTurn = 15;
// Rows weighed between looks at the clock.
constexpr int kRowsPerLook = 256;
// What is known of a row under the filter being worked out.
constexpr char kUnweighed = 0;
constexpr char kAccepted = 1;
constexpr char kRejected = 2;
// A sort of this many rows, their values read within one turn, is done there
// and then (a few milliseconds); a larger one on a worker.
constexpr int kSortHereRows = 20'000;
// Above this many rows a sort keeps the rows' values only where they are whole
// numbers (others take 64 bytes a row and more): texts are sorted in runs of
// half as many on a worker and the runs merged a slice per turn; other
// values here and now, reading them per comparison.
constexpr int kMaxKeptRows = 2'000'000;

// Thrown by a worker's comparison to end a sort no longer wanted.
struct SortCancelled {};

// Rows first to last, in order.
std::vector<int> rowsFrom(int first, int last) {
    std::vector<int> rows(std::size_t(last >= first ? last - first + 1 : 0));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

std::vector<int> sourceOrder(int rows) {
    return rowsFrom(0, rows - 1);
}

// A sort worked out: the source row of each sorted row, and the other way round.
struct SortedRows {
    std::vector<int> order;
    std::vector<int> rank;
};

// Sorts `count` rows stably from the order given (empty: the source's) by
// whole numbers or else by keys, both by row, with the rank of each row when
// asked; throws SortCancelled once `cancelled` is set.
SortedRows sortRows(std::vector<int> rows, int count, bool descending, const qint64* numbers,
                    const std::vector<ResultsSortKey>* keys, const std::atomic<bool>& cancelled,
                    bool ranked = true) {
    if (rows.empty())
        rows = sourceOrder(count);
    auto sortBy = [&](const auto& values) {
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            if (cancelled.load(std::memory_order_relaxed))
                throw SortCancelled();
            return descending ? values[std::size_t(b)] < values[std::size_t(a)]
                              : values[std::size_t(a)] < values[std::size_t(b)];
        });
    };
    if (numbers)
        sortBy(numbers);
    else
        sortBy(*keys);
    SortedRows sorted;
    if (ranked) {
        sorted.rank.resize(rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row)
            sorted.rank[std::size_t(rows[row])] = int(row);
    }
    sorted.order = std::move(rows);
    return sorted;
}

} // namespace

struct ResultsFilterModel::SortJob {
    int column = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    // The source's first `count` rows are sorted, from the order they are
    // shown in (equal rows keep it); none given: the source's own.
    int count = 0;
    std::vector<int> from;
    // By source row, what the rows sort by: whole numbers while every row's
    // sort value is one (8 bytes a row, written as they are read), else the
    // values as they are.
    std::shared_ptr<qint64[]> numbers;
    std::shared_ptr<std::vector<ResultsSortKey>> keys;
    int read = 0;
    int withSortValue = 0;
    // Where some rows have a sort value and some not, all are compared by
    // what they show: a second reading for the rows with one.
    bool readingShown = false;
    bool announced = false;
    // Texts of more than maxKeptRows_ rows: runs of half as many, of the order sorted from,
    // each read and sorted by itself (`keys` by place in the run), then merged.
    bool inRuns = false;
    int runStart = 0;
    std::vector<std::vector<int>> runs;
    bool merging = false;
    std::vector<std::size_t> heads;
    std::vector<ResultsSortKey> headKeys;
    std::vector<int> merged;
    std::vector<int> mergedRank;
    // Rows appended to the source meanwhile, as they came.
    std::vector<std::pair<int, int>> arrived;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    QFutureWatcher<SortedRows>* watcher = nullptr;
};

ResultsFilterModel::ResultsFilterModel(QObject* parent)
    : QAbstractProxyModel(parent)
    , work_(new QTimer(this))
    , sortWork_(new QTimer(this))
    , msPerTurn_(kMsPerTurn)
    , maxKeptRows_(kMaxKeptRows) {
    work_->setSingleShot(true);
    work_->setInterval(0);
    connect(work_, &QTimer::timeout, this, &ResultsFilterModel::filterSome);
    sortWork_->setSingleShot(true);
    sortWork_->setInterval(0);
    connect(sortWork_, &QTimer::timeout, this, &ResultsFilterModel::readSortKeys);
}

ResultsFilterModel::~ResultsFilterModel() {
    if (sortJob_) {
        sortJob_->cancelled->store(true);
        dropSortJob();
    }
}

void ResultsFilterModel::setSourceModel(QAbstractItemModel* source) {
    beginResync();
    QAbstractProxyModel::setSourceModel(source);
    connectSource();
    endResync();
}

void ResultsFilterModel::connectSource() {
    for (const QMetaObject::Connection& connection : sourceConnections_)
        disconnect(connection);
    sourceConnections_.clear();
    QAbstractItemModel* source = sourceModel();
    if (!source)
        return;
    auto& connections = sourceConnections_;
    // Rows appended are taken in as they come; any other change, which the
    // results models never make, has every row read and filtered again.
    connections.push_back(connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                                  [this, source](const QModelIndex& parent, int first) {
                                      if (parent.isValid() || first < source->rowCount())
                                          beginResync();
                                  }));
    connections.push_back(connect(source, &QAbstractItemModel::rowsInserted, this,
                                  [this](const QModelIndex& parent, int first, int last) {
                                      if (resyncing_)
                                          endResync();
                                      else if (parent.isValid())
                                          return;
                                      else if (sorting_)
                                          sortedSourceRowsInserted(first, last);
                                      else
                                          sourceRowsInserted(first, last);
                                  }));
    for (auto signal :
         {&QAbstractItemModel::rowsAboutToBeRemoved, &QAbstractItemModel::columnsAboutToBeInserted,
          &QAbstractItemModel::columnsAboutToBeRemoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::beginResync));
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::columnsInserted,
                        &QAbstractItemModel::columnsRemoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::endResync));
    for (auto signal :
         {&QAbstractItemModel::rowsAboutToBeMoved, &QAbstractItemModel::columnsAboutToBeMoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::beginResync));
    for (auto signal : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::endResync));
    connections.push_back(connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
                                  &ResultsFilterModel::beginResync));
    connections.push_back(
        connect(source, &QAbstractItemModel::modelReset, this, &ResultsFilterModel::endResync));
    connections.push_back(connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this,
                                  &ResultsFilterModel::beginResync));
    connections.push_back(
        connect(source, &QAbstractItemModel::layoutChanged, this, &ResultsFilterModel::endResync));
    // New data may move rows of a sort or a filter: read again as a whole.
    connections.push_back(connect(source, &QAbstractItemModel::dataChanged, this, [this] {
        beginResync();
        endResync();
    }));
    connections.push_back(connect(source, &QAbstractItemModel::headerDataChanged, this,
                                  [this](Qt::Orientation orientation, int first, int last) {
                                      if (orientation == Qt::Horizontal)
                                          emit headerDataChanged(orientation, first, last);
                                  }));
}

void ResultsFilterModel::setText(const QString& text) {
    Filter filter = pending_.value_or(shownFilter_);
    filter.text = text;
    request(filter);
}

void ResultsFilterModel::setCategory(const QVariant& category) {
    Filter filter = pending_.value_or(shownFilter_);
    filter.category = category;
    request(filter);
}

bool ResultsFilterModel::accepts(const Filter& filter, int sourceRow) const {
    const QAbstractItemModel* source = sourceModel();
    if (filter.category.isValid()) {
        const QVariant category = source->index(sourceRow, 0).data(CategoryRole);
        // A row in several categories: any of them.
        if (category.userType() == QMetaType::QStringList
                ? !category.toStringList().contains(filter.category.toString())
                : category != filter.category)
            return false;
    }
    if (filter.text.isEmpty())
        return true;
    for (int column = 0, columns = source->columnCount(); column < columns; ++column) {
        if (source->index(sourceRow, column)
                .data(Qt::DisplayRole)
                .toString()
                .contains(filter.text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void ResultsFilterModel::request(const Filter& filter) {
    if (filter == pending_.value_or(shownFilter_))
        return;
    if (filter == shownFilter_) {
        stopFiltering();
        return;
    }
    const bool started = !pending_;
    pending_ = filter;
    pendingAccepts_.clear();
    pendingNext_ = 0;
    if (started)
        emit filteringChanged(true);
    // No filter: every row, nothing to weigh.
    if (showsAll(filter)) {
        work_->stop();
        showFiltered();
        return;
    }
    // A filter within the one shown needs to weigh only the rows shown; one
    // that holds it, only the rows not shown.
    const bool narrower =
        (!shownFilter_.category.isValid() || shownFilter_.category == filter.category) &&
        filter.text.contains(shownFilter_.text, Qt::CaseInsensitive);
    const bool wider = (!filter.category.isValid() || filter.category == shownFilter_.category) &&
                       shownFilter_.text.contains(filter.text, Qt::CaseInsensitive);
    if (!showsAll(shownFilter_) && (narrower || wider)) {
        pendingAccepts_.assign(std::size_t(sortedRows_), narrower ? kRejected : kUnweighed);
        for (const int row : shown_)
            pendingAccepts_[std::size_t(sourceRowOf(row))] = narrower ? kUnweighed : kAccepted;
    }
    // A small table is done here and now.
    filterSome();
}

void ResultsFilterModel::stopFiltering() {
    if (!pending_)
        return;
    work_->stop();
    pending_.reset();
    std::vector<char>().swap(pendingAccepts_);
    emit filteringChanged(false);
}

void ResultsFilterModel::filterSome() {
    if (!pending_ || !sourceModel())
        return;
    QElapsedTimer clock;
    clock.start();
    const int rows = sourceModel()->rowCount();
    pendingAccepts_.resize(std::size_t(rows));
    while (pendingNext_ < rows) {
        for (const int end = std::min(rows, pendingNext_ + kRowsPerLook); pendingNext_ < end;
             ++pendingNext_)
            if (pendingAccepts_[std::size_t(pendingNext_)] == kUnweighed)
                pendingAccepts_[std::size_t(pendingNext_)] =
                    accepts(*pending_, pendingNext_) ? kAccepted : kRejected;
        if (pendingNext_ < rows && clock.elapsed() >= msPerTurn_) {
            work_->start();
            return;
        }
    }
    showFiltered();
}

void ResultsFilterModel::showFiltered() {
    const bool all = showsAll(*pending_);
    std::vector<int> shown;
    if (!all)
        for (int row = 0; row < sortedRows_; ++row)
            if (pendingAccepts_[std::size_t(sourceRowOf(row))] == kAccepted)
                shown.push_back(row);
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int sortedRow = sortedRowShown(index.row());
        const int row = all ? sortedRow : positionIn(shown, sortedRow);
        after.append(row >= 0 ? createIndex(row, index.column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    // Every row shown keeps no list of them.
    shown_.swap(shown);
    shownFilter_ = *pending_;
    pending_.reset();
    std::vector<char>().swap(pendingAccepts_);
    emit layoutChanged();
    emit filteringChanged(false);
}

void ResultsFilterModel::readOrder() {
    // Unsorted, the rows stand as the source has them: none to map, of
    // millions perhaps.
    if (!sorting_) {
        std::vector<int>().swap(order_);
        std::vector<int>().swap(rank_);
        sortedRows_ = sourceModel() ? sourceModel()->rowCount() : 0;
        return;
    }
    sortedRows_ = int(order_.size());
}

int ResultsFilterModel::sortedRowOf(int sourceRow) const {
    if (!sorting_)
        return sourceRow;
    if (rankStale_) {
        rank_.assign(order_.size(), -1);
        for (std::size_t row = 0; row < order_.size(); ++row)
            rank_[std::size_t(order_[row])] = int(row);
        rankStale_ = false;
    }
    return std::size_t(sourceRow) < rank_.size() ? rank_[std::size_t(sourceRow)] : -1;
}

int ResultsFilterModel::shownRowOf(int sortedRow) const {
    if (sortedRow < 0 || sortedRow >= sortedRows_)
        return -1;
    return showsAll(shownFilter_) ? sortedRow : positionIn(shown_, sortedRow);
}

int ResultsFilterModel::positionIn(const std::vector<int>& shown, int sortedRow) {
    const auto at = std::lower_bound(shown.begin(), shown.end(), sortedRow);
    return at != shown.end() && *at == sortedRow ? int(at - shown.begin()) : -1;
}

bool ResultsFilterModel::needsSorting(int column, Qt::SortOrder order) const {
    return column >= 0 &&
           !(order == Qt::AscendingOrder && sourceModel() &&
             sourceModel()->headerData(column, Qt::Horizontal, SourceOrderRole).toBool());
}

void ResultsFilterModel::beginResync() {
    if (resyncing_)
        return;
    resyncing_ = true;
    // The rows a sort took are not the rows any more: sorted again once read.
    if (sortJob_) {
        resort_ = std::make_pair(sortJob_->column, sortJob_->order);
        cancelSort();
    }
    beginResetModel();
}

void ResultsFilterModel::endResync() {
    if (!resyncing_)
        return;
    if (resort_) {
        sorting_ = true;
        std::tie(sortColumn_, sortOrder_) = *resort_;
        resort_.reset();
    }
    if (!sourceModel()) {
        std::vector<int>().swap(order_);
        std::vector<int>().swap(shown_);
        sortedRows_ = 0;
        resyncing_ = false;
        endResetModel();
        return;
    }
    if (sorting_)
        sortAllNow();
    readOrder();
    shown_.clear();
    if (!showsAll(shownFilter_))
        for (int row = 0; row < sortedRows_; ++row)
            if (accepts(shownFilter_, sourceRowOf(row)))
                shown_.push_back(row);
    if (pending_) {
        pendingAccepts_.clear();
        pendingNext_ = 0;
        work_->start();
    }
    resyncing_ = false;
    endResetModel();
}

void ResultsFilterModel::sortedRowsInserted(int first, const std::vector<int>& added) {
    const int count = int(added.size());
    const int last = first + count - 1;
    rankStale_ = true;
    if (showsAll(shownFilter_)) {
        beginInsertRows(QModelIndex(), first, last);
        order_.insert(order_.begin() + first, added.begin(), added.end());
        sortedRows_ += count;
        endInsertRows();
        return;
    }
    order_.insert(order_.begin() + first, added.begin(), added.end());
    sortedRows_ += count;
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), first);
    for (auto later = at; later != shown_.end(); ++later)
        *later += count;
    std::vector<int> accepted;
    for (int i = 0; i < count; ++i)
        if (accepts(shownFilter_, added[std::size_t(i)]))
            accepted.push_back(first + i);
    if (accepted.empty())
        return;
    const int position = int(at - shown_.begin());
    beginInsertRows(QModelIndex(), position, position + int(accepted.size()) - 1);
    shown_.insert(shown_.begin() + position, accepted.begin(), accepted.end());
    endInsertRows();
}

void ResultsFilterModel::sourceRowsInserted(int first, int last) {
    if (sortJob_)
        sortJob_->arrived.emplace_back(first, last);
    const int count = last - first + 1;
    if (showsAll(shownFilter_)) {
        beginInsertRows(QModelIndex(), first, last);
        sortedRows_ += count;
        endInsertRows();
        return;
    }
    sortedRows_ += count;
    std::vector<int> accepted;
    for (int row = first; row <= last; ++row)
        if (accepts(shownFilter_, row))
            accepted.push_back(row);
    if (accepted.empty())
        return;
    const int position = int(shown_.size());
    beginInsertRows(QModelIndex(), position, position + int(accepted.size()) - 1);
    shown_.insert(shown_.end(), accepted.begin(), accepted.end());
    endInsertRows();
}

void ResultsFilterModel::sortedLayoutAboutToBeChanged() {
    emit layoutAboutToBeChanged();
    if (!showsAll(shownFilter_)) {
        keptSourceRows_.assign(std::size_t(sortedRows_), 0);
        for (const int row : shown_)
            keptSourceRows_[std::size_t(sourceRowOf(row))] = 1;
    }
    persistentBefore_ = persistentIndexList();
    persistentCells_.clear();
    for (const QModelIndex& index : persistentBefore_)
        persistentCells_.emplace_back(sourceRowOf(sortedRowShown(index.row())), index.column());
}

void ResultsFilterModel::sortedLayoutChanged() {
    readOrder();
    shown_.clear();
    if (!showsAll(shownFilter_))
        for (int row = 0; row < sortedRows_; ++row)
            if (keptSourceRows_[std::size_t(sourceRowOf(row))])
                shown_.push_back(row);
    std::vector<char>().swap(keptSourceRows_);
    QModelIndexList after;
    after.reserve(persistentBefore_.size());
    for (const auto& [sourceRow, column] : persistentCells_) {
        const int row = shownRowOf(sortedRowOf(sourceRow));
        after.append(row >= 0 ? createIndex(row, column) : QModelIndex());
    }
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    persistentCells_.clear();
    emit layoutChanged();
}

QModelIndex ResultsFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex ResultsFilterModel::parent(const QModelIndex&) const {
    return {};
}

int ResultsFilterModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return showsAll(shownFilter_) ? sortedRows_ : int(shown_.size());
}

int ResultsFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool ResultsFilterModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant ResultsFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && sourceModel())
        return sourceModel()->headerData(section, orientation, role);
    return QAbstractItemModel::headerData(section, orientation, role);
}

QModelIndex ResultsFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= rowCount())
        return {};
    return sourceModel()->index(sourceRowOf(sortedRowShown(proxyIndex.row())), proxyIndex.column());
}

QModelIndex ResultsFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || resyncing_)
        return {};
    const int row = shownRowOf(sortedRowOf(sourceIndex.row()));
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

void ResultsFilterModel::sort(int column, Qt::SortOrder order) {
    if (!sourceModel() || resyncing_) {
        // Sorted, or not, once the rows are read.
        cancelSort();
        resort_.reset();
        if (needsSorting(column, order))
            resort_ = std::make_pair(column, order);
        else
            sorting_ = false;
        return;
    }
    if (!needsSorting(column, order)) {
        cancelSort();
        if (sorting_)
            reorder(false, -1, order, {}, {});
        return;
    }
    if (sortJob_ && sortJob_->column == column && sortJob_->order == order)
        return;
    cancelSort();
    if (sorting_ && sortColumn_ == column && sortOrder_ == order)
        return;
    sortJob_ = std::make_unique<SortJob>();
    SortJob& job = *sortJob_;
    job.column = column;
    job.order = order;
    job.count = sortedRows_;
    // Stably from the order shown, as a sorting proxy does.
    if (sorting_)
        job.from = order_;
    // Not written yet: its pages are touched as the values are read.
    job.numbers = std::shared_ptr<qint64[]>(new qint64[std::size_t(job.count)]);
    readSortKeys();
}

void ResultsFilterModel::readSortKeys() {
    if (!sortJob_)
        return;
    if (sortJob_->merging) {
        mergeRuns();
        return;
    }
    if (sortJob_->inRuns) {
        readRun();
        return;
    }
    SortJob& job = *sortJob_;
    const QAbstractItemModel& source = *sourceModel();
    const int rows = job.count;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (job.read < rows) {
            for (const int end = std::min(rows, job.read + kRowsPerLook); job.read < end;
                 ++job.read) {
                if (job.numbers) {
                    const QVariant value = source.index(job.read, job.column).data(SortRole);
                    const int type = value.userType();
                    if (type == QMetaType::LongLong || type == QMetaType::Int) {
                        job.numbers[std::size_t(job.read)] = value.toLongLong();
                        continue;
                    }
                    // Not all whole numbers: every row's value as it is, where
                    // that can be kept; texts in runs; else sorted here and now.
                    if (rows > maxKeptRows_ && job.read == 0 && !value.isValid()) {
                        BackgroundRelease::drop(std::move(job.numbers));
                        job.inRuns = true;
                        readRun();
                        return;
                    }
                    if (rows > maxKeptRows_) {
                        sortAllHereInstead();
                        return;
                    }
                    job.keys = std::make_shared<std::vector<ResultsSortKey>>();
                    job.keys->reserve(std::size_t(rows));
                    for (int row = 0; row < job.read; ++row)
                        job.keys->push_back(
                            ResultsSortKey::fromSortValue(job.numbers[std::size_t(row)]));
                    job.withSortValue = job.read;
                    BackgroundRelease::drop(std::move(job.numbers));
                }
                if (!job.readingShown) {
                    job.keys->push_back(ResultsSortKey::read(source, job.read, job.column));
                    job.withSortValue += job.keys->back().hasSortValue() ? 1 : 0;
                } else if ((*job.keys)[std::size_t(job.read)].hasSortValue()) {
                    (*job.keys)[std::size_t(job.read)] =
                        ResultsSortKey::read(source, job.read, job.column, true);
                }
            }
            if (job.read < rows && clock.elapsed() >= msPerTurn_) {
                goOnNextTurn();
                return;
            }
        }
        if (job.numbers || job.readingShown || job.withSortValue == 0 || job.withSortValue == rows)
            break;
        job.readingShown = true;
        job.read = 0;
    }
    if (!job.announced && rows <= kSortHereRows && msPerTurn_ > 0) {
        SortedRows sorted = sortRows(std::move(job.from), rows, job.order == Qt::DescendingOrder,
                                     job.numbers.get(), job.keys.get(), *job.cancelled);
        finishSort(std::move(sorted.order), std::move(sorted.rank));
        return;
    }
    sortOnWorker();
}

void ResultsFilterModel::sortOnWorker() {
    announceSorting();
    SortJob& job = *sortJob_;
    auto* watcher = new QFutureWatcher<SortedRows>(this);
    job.watcher = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        QFuture<SortedRows> done = watcher->future();
        if (!sortJob_ || sortJob_->watcher != watcher)
            return;
        if (done.resultCount() == 0) {
            // It failed (out of memory): the rows keep the order they have.
            cancelSort();
            return;
        }
        SortedRows sorted = done.takeResult();
        if (sortJob_->inRuns)
            runSorted(std::move(sorted.order));
        else
            finishSort(std::move(sorted.order), std::move(sorted.rank));
    });
    QPromise<SortedRows> promise;
    watcher->setFuture(promise.future());
    promise.start();
    // The source rows of a run, by their place in it.
    std::vector<int> run;
    if (job.inRuns) {
        const int end = std::min(job.count, job.runStart + int(job.keys->size()));
        run.reserve(std::size_t(end - job.runStart));
        for (int place = job.runStart; place < end; ++place)
            run.push_back(job.from.empty() ? place : job.from[std::size_t(place)]);
    }
    // A thread of its own: the sort takes a second at most, and a newer one
    // ends it at its next comparison.
    std::thread([promise = std::move(promise),
                 from = job.inRuns ? std::vector<int>() : std::move(job.from),
                 count = job.inRuns ? int(run.size()) : job.count, run = std::move(run),
                 descending = job.order == Qt::DescendingOrder, numbers = job.numbers,
                 keys = job.keys, cancelled = job.cancelled]() mutable {
        try {
            // A run's rows are sorted by their place in it, then named as source rows.
            SortedRows sorted = sortRows(std::move(from), count, descending, numbers.get(),
                                         keys.get(), *cancelled, run.empty());
            if (!run.empty())
                for (int& place : sorted.order)
                    place = run[std::size_t(place)];
            promise.addResult(std::move(sorted));
        } catch (...) {
            // Cancelled, or out of memory: no order.
        }
        promise.finish();
    }).detach();
}

void ResultsFilterModel::goOnNextTurn() {
    announceSorting();
    sortWork_->start();
}

void ResultsFilterModel::announceSorting() {
    if (!sortJob_->announced) {
        sortJob_->announced = true;
        emit sortingChanged(true);
    }
}

void ResultsFilterModel::sortAllHereInstead() {
    SortJob& job = *sortJob_;
    std::vector<int> order = job.from.empty() ? sourceOrder(job.count) : std::move(job.from);
    const int column = job.column;
    const Qt::SortOrder sortOrder = job.order;
    cancelSort();
    sortHere(order, column, sortOrder);
    reorder(true, column, sortOrder, std::move(order), {});
}

void ResultsFilterModel::readRun() {
    SortJob& job = *sortJob_;
    const QAbstractItemModel& source = *sourceModel();
    const int size = std::min(std::max(maxKeptRows_ / 2, 1), job.count - job.runStart);
    if (!job.keys) {
        job.keys = std::make_shared<std::vector<ResultsSortKey>>();
        job.keys->reserve(std::size_t(size));
    }
    QElapsedTimer clock;
    clock.start();
    while (job.read < size) {
        for (const int end = std::min(size, job.read + kRowsPerLook); job.read < end; ++job.read) {
            const int place = job.runStart + job.read;
            const int row = job.from.empty() ? place : job.from[std::size_t(place)];
            job.keys->push_back(ResultsSortKey::read(source, row, job.column));
            if (job.keys->back().hasSortValue()) {
                // Some rows have a sort value after all: compared pairwise
                // as a sorting proxy compares them.
                sortAllHereInstead();
                return;
            }
        }
        if (job.read < size && clock.elapsed() >= msPerTurn_) {
            goOnNextTurn();
            return;
        }
    }
    sortOnWorker();
}

void ResultsFilterModel::runSorted(std::vector<int> run) {
    SortJob& job = *sortJob_;
    job.runStart += int(run.size());
    job.runs.push_back(std::move(run));
    BackgroundRelease::drop(std::move(job.keys));
    job.read = 0;
    if (job.runStart < job.count) {
        sortWork_->start();
        return;
    }
    // Every run sorted: merged from each one's first row on.
    const QAbstractItemModel& source = *sourceModel();
    job.merging = true;
    for (const std::vector<int>& sorted : job.runs) {
        job.heads.push_back(0);
        job.headKeys.push_back(ResultsSortKey::read(source, sorted.front(), job.column));
    }
    job.merged.reserve(std::size_t(job.count));
    job.mergedRank.assign(std::size_t(job.count), -1);
    sortWork_->start();
}

void ResultsFilterModel::mergeRuns() {
    SortJob& job = *sortJob_;
    const QAbstractItemModel& source = *sourceModel();
    const bool descending = job.order == Qt::DescendingOrder;
    QElapsedTimer clock;
    clock.start();
    while (int(job.merged.size()) < job.count) {
        for (int step = 0; step < kRowsPerLook && int(job.merged.size()) < job.count; ++step) {
            // The first run's row wins a tie: the runs stand in the order sorted from.
            std::size_t best = job.runs.size();
            for (std::size_t r = 0; r < job.runs.size(); ++r) {
                if (job.heads[r] >= job.runs[r].size())
                    continue;
                if (best == job.runs.size() || (descending ? job.headKeys[best] < job.headKeys[r]
                                                           : job.headKeys[r] < job.headKeys[best]))
                    best = r;
            }
            const int row = job.runs[best][job.heads[best]];
            job.mergedRank[std::size_t(row)] = int(job.merged.size());
            job.merged.push_back(row);
            if (++job.heads[best] < job.runs[best].size())
                job.headKeys[best] =
                    ResultsSortKey::read(source, job.runs[best][job.heads[best]], job.column);
        }
        if (int(job.merged.size()) < job.count && clock.elapsed() >= msPerTurn_) {
            sortWork_->start();
            return;
        }
    }
    finishSort(std::move(job.merged), std::move(job.mergedRank));
}

void ResultsFilterModel::finishSort(std::vector<int> order, std::vector<int> rank) {
    const int column = sortJob_->column;
    const Qt::SortOrder sortOrder = sortJob_->order;
    // Rows that arrived while it sorted take their places as they would
    // have after it, batch by batch.
    for (const auto& [first, last] : sortJob_->arrived) {
        const auto places = placesOf(rowsFrom(first, last), order, column, sortOrder);
        for (auto place = places.rbegin(); place != places.rend(); ++place)
            order.insert(order.begin() + place->first, place->second.begin(), place->second.end());
    }
    if (!sortJob_->arrived.empty())
        rank.clear();
    const bool announced = dropSortJob();
    reorder(true, column, sortOrder, std::move(order), std::move(rank));
    if (announced)
        emit sortingChanged(false);
}

void ResultsFilterModel::cancelSort() {
    if (!sortJob_)
        return;
    sortJob_->cancelled->store(true);
    sortWork_->stop();
    if (dropSortJob())
        emit sortingChanged(false);
}

bool ResultsFilterModel::dropSortJob() {
    // Half a million texts take a while to free: not on this thread.
    BackgroundRelease::drop(std::move(sortJob_->keys));
    BackgroundRelease::drop(std::move(sortJob_->numbers));
    const bool announced = sortJob_->announced;
    sortJob_.reset();
    return announced;
}

void ResultsFilterModel::reorder(bool sorted, int column, Qt::SortOrder order,
                                 std::vector<int> rows, std::vector<int> rank) {
    sortedLayoutAboutToBeChanged();
    // Ten million rows' order is 40 MB: let go of off this thread.
    BackgroundRelease::drop(std::make_shared<std::vector<int>>(std::move(order_)));
    BackgroundRelease::drop(std::make_shared<std::vector<int>>(std::move(rank_)));
    sorting_ = sorted;
    sortColumn_ = sorted ? column : -1;
    sortOrder_ = order;
    order_ = std::move(rows);
    rank_ = std::move(rank);
    rankStale_ = rank_.size() != order_.size();
    sortedLayoutChanged();
}

void ResultsFilterModel::sortAllNow() {
    order_ = sourceOrder(sourceModel()->rowCount());
    sortHere(order_, sortColumn_, sortOrder_);
    rankStale_ = true;
}

bool ResultsFilterModel::sortsBefore(int sourceA, int sourceB, int column,
                                     Qt::SortOrder order) const {
    if (order == Qt::DescendingOrder)
        std::swap(sourceA, sourceB);
    const QAbstractItemModel& source = *sourceModel();
    ResultsSortKey a = ResultsSortKey::read(source, sourceA, column);
    ResultsSortKey b = ResultsSortKey::read(source, sourceB, column);
    if (a.hasSortValue() != b.hasSortValue()) {
        a = ResultsSortKey::read(source, sourceA, column, true);
        b = ResultsSortKey::read(source, sourceB, column, true);
    }
    return a < b;
}

void ResultsFilterModel::sortHere(std::vector<int>& rows, int column, Qt::SortOrder order) const {
    std::stable_sort(rows.begin(), rows.end(), [this, column, order](int a, int b) {
        return sortsBefore(a, b, column, order);
    });
}

std::vector<std::pair<int, std::vector<int>>>
ResultsFilterModel::placesOf(std::vector<int> added, const std::vector<int>& sorted, int column,
                             Qt::SortOrder order) const {
    sortHere(added, column, order);
    // Each run starts after the sorted rows it does not sort before, and
    // takes the arriving rows that follow while they do not sort after the
    // row it stands before.
    std::vector<std::pair<int, std::vector<int>>> places;
    int low = 0;
    std::size_t next = 0;
    while (next < added.size()) {
        std::vector<int> run{added[next++]};
        int high = int(sorted.size()) - 1;
        while (low <= high) {
            const int middle = (low + high) / 2;
            if (sortsBefore(run.front(), sorted[std::size_t(middle)], column, order))
                high = middle - 1;
            else
                low = middle + 1;
        }
        const int place = low;
        if (place >= int(sorted.size())) {
            run.insert(run.end(), added.begin() + std::ptrdiff_t(next), added.end());
            next = added.size();
        } else {
            for (; next < added.size(); ++next) {
                if (sortsBefore(sorted[std::size_t(place)], added[next], column, order))
                    break;
                run.push_back(added[next]);
            }
        }
        places.emplace_back(place, std::move(run));
    }
    return places;
}

void ResultsFilterModel::sortedSourceRowsInserted(int first, int last) {
    if (sortJob_)
        sortJob_->arrived.emplace_back(first, last);
    const auto places = placesOf(rowsFrom(first, last), order_, sortColumn_, sortOrder_);
    for (auto place = places.rbegin(); place != places.rend(); ++place)
        sortedRowsInserted(place->first, place->second);
}

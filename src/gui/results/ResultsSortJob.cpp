#include "gui/results/ResultsSortJob.h"

#include "gui/common/BackgroundRelease.h"
#include "gui/results/ResultsRowPlaces.h"
#include "gui/results/ResultsTextSort.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QPromise>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

namespace {

// Rows weighed between looks at the clock.
constexpr int kRowsPerLook = 256;
// A sort of this many rows, their values read within one turn, is done there
// and then (a few milliseconds); a larger one on a worker.
constexpr int kSortHereRows = 20'000;

// What workers reading texts hand back: the order sorted, or not done (too
// many different texts: read a slice per turn instead).
struct TextsSorted {
    ResultsSortJob::Sorted sorted;
    bool done = false;
};

// What a worker hands back, taken on the GUI thread once it has finished.
// Not through the future's result store: the worker's promise, let go after
// its end is told, may clear that store while the GUI thread takes from it.
template <typename T> class Handover {
public:
    void put(T value) {
        const std::lock_guard<std::mutex> lock(mutex_);
        value_ = std::move(value);
    }
    std::optional<T> take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::optional<T> value = std::move(value_);
        value_.reset();
        return value;
    }

private:
    std::mutex mutex_;
    std::optional<T> value_;
};

int textWorkers() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
}

} // namespace

ResultsSortJob::ResultsSortJob(const QAbstractItemModel& source, int column, Qt::SortOrder order,
                               int count, std::shared_ptr<const std::vector<int>> from,
                               Limits limits, QObject* parent)
    : QObject(parent)
    , source_(source)
    , column_(column)
    , order_(order)
    , count_(count)
    , from_(std::move(from))
    , limits_(limits)
    , turn_(new QTimer(this))
    // Not written yet: its pages are touched as the values are read.
    , numbers_(new qint64[std::size_t(count)]) {
    turn_->setSingleShot(true);
    turn_->setInterval(0);
    connect(turn_, &QTimer::timeout, this, &ResultsSortJob::readKeys);
}

ResultsSortJob::~ResultsSortJob() {
    cancelled_->store(true);
    releaseValues();
}

void ResultsSortJob::start() {
    if (!sortNumbersOnWorker() && !sortTextsOnWorkers())
        readKeys();
}

template <typename T, typename Work, typename Took>
void ResultsSortJob::onWorker(Work work, Took took) {
    announce();
    auto* watcher = new QFutureWatcher<void>(this);
    watcher_ = watcher;
    auto handover = std::make_shared<Handover<T>>();
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, handover, took] {
        watcher->deleteLater();
        if (watcher_ != watcher || end_ != End::Running)
            return;
        watcher_ = nullptr;
        std::optional<T> taken = handover->take();
        if (!taken) {
            finish(End::Failed); // out of memory: the rows keep the order they have
            return;
        }
        took(std::move(*taken));
    });
    QPromise<void> promise;
    watcher->setFuture(promise.future());
    promise.start();
    // A thread of its own: a newer sort ends this one at its next comparison.
    std::thread([promise = std::move(promise), handover, work = std::move(work)]() mutable {
        try {
            handover->put(work());
        } catch (...) {
            // Cancelled, or out of memory: nothing handed over.
        }
        promise.finish();
    }).detach();
}

const ResultsSortSource* ResultsSortJob::workerSource() const {
    if (count_ <= kSortHereRows && limits_.msPerTurn > 0)
        return nullptr;
    return dynamic_cast<const ResultsSortSource*>(&source_);
}

bool ResultsSortJob::sortNumbersOnWorker() {
    const ResultsSortSource* source = workerSource();
    ResultsSortSource::NumberReader read = source ? source->numberReader(column_) : nullptr;
    if (!read)
        return false;
    BackgroundRelease::drop(std::move(numbers_));
    onWorker<Sorted>(
        [read = std::move(read), count = count_, from = from_,
         descending = order_ == Qt::DescendingOrder, cancelled = cancelled_] {
            const std::unique_ptr<qint64[]> numbers(new qint64[std::size_t(count)]);
            if (count > 0)
                read(0, count - 1, numbers.get());
            return sortRows(from ? *from : std::vector<int>(), count, descending, numbers.get(),
                            nullptr, *cancelled);
        },
        [this](Sorted sorted) { finish(End::Sorted, std::move(sorted)); });
    return true;
}

bool ResultsSortJob::sortTextsOnWorkers() {
    const ResultsSortSource* source = workerSource();
    ResultsSortSource::TextReader read = source ? source->textReader(column_) : nullptr;
    if (!read)
        return false;
    onWorker<TextsSorted>(
        [read = std::move(read), count = count_, from = from_,
         descending = order_ == Qt::DescendingOrder, cancelled = cancelled_] {
            TextsSorted result;
            const std::vector<int> sourceOrder;
            result.done =
                ResultsTextSort::sort(read, count, from ? *from : sourceOrder, descending,
                                      textWorkers(), *cancelled, result.sorted.order,
                                      result.sorted.rank) == ResultsTextSort::Result::Sorted;
            return result;
        },
        [this](TextsSorted result) {
            if (result.done)
                finish(End::Sorted, std::move(result.sorted));
            else
                turn_->start();
        });
    return true;
}

void ResultsSortJob::cancel() {
    cancelled_->store(true);
    // A worker's end, still on its way, says nothing.
    watcher_ = nullptr;
    turn_->stop();
    releaseValues();
}

void ResultsSortJob::releaseValues() {
    // Half a million texts take a while to free: not on this thread.
    BackgroundRelease::drop(std::move(keys_));
    BackgroundRelease::drop(std::move(numbers_));
}

void ResultsSortJob::sortHereNow() {
    std::vector<int> rows = fromRows();
    if (rows.empty())
        rows = ResultsRowPlaces::rowsFrom(0, count_ - 1);
    ResultsRowPlaces::sortHere(source_, rows, column_, order_);
    finish(End::Sorted, Sorted{std::move(rows), {}});
}

void ResultsSortJob::rowsArrived(int first, int last) {
    arrived_.emplace_back(first, last);
}

ResultsSortJob::Sorted ResultsSortJob::takeSorted() {
    // Rows that arrived while it sorted take their places as they would
    // have after it, batch by batch.
    for (const auto& [first, last] : arrived_)
        ResultsRowPlaces::insert(source_, first, last, sorted_.order, column_, order_);
    if (!arrived_.empty())
        sorted_.rank.clear();
    arrived_.clear();
    return std::move(sorted_);
}

void ResultsSortJob::finish(End end, Sorted sorted) {
    end_ = end;
    sorted_ = std::move(sorted);
    turn_->stop();
    releaseValues();
    emit ended();
}

ResultsSortJob::Sorted ResultsSortJob::sortRows(std::vector<int> rows, int count, bool descending,
                                                const qint64* numbers,
                                                const std::vector<ResultsSortKey>* keys,
                                                const std::atomic<bool>& cancelled, bool ranked) {
    if (rows.empty()) {
        rows.resize(std::size_t(count));
        std::iota(rows.begin(), rows.end(), 0);
    }
    if (numbers) {
        // Each value beside its place: a sort of rows that looks their
        // values up would miss the cache at nearly every comparison.
        std::vector<std::pair<qint64, int>> keyed(rows.size());
        for (std::size_t place = 0; place < rows.size(); ++place)
            keyed[place] = {numbers[std::size_t(rows[place])], int(place)};
        std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            if (cancelled.load(std::memory_order_relaxed))
                throw Cancelled();
            if (a.first != b.first)
                return descending ? b.first < a.first : a.first < b.first;
            return a.second < b.second; // equal values keep the order sorted from
        });
        std::vector<int> from = std::move(rows);
        rows.resize(from.size());
        for (std::size_t place = 0; place < keyed.size(); ++place)
            rows[place] = from[std::size_t(keyed[place].second)];
    } else {
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            if (cancelled.load(std::memory_order_relaxed))
                throw Cancelled();
            const auto& values = *keys;
            return descending ? values[std::size_t(b)] < values[std::size_t(a)]
                              : values[std::size_t(a)] < values[std::size_t(b)];
        });
    }
    Sorted sorted;
    if (ranked) {
        sorted.rank.resize(rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row)
            sorted.rank[std::size_t(rows[row])] = int(row);
    }
    sorted.order = std::move(rows);
    return sorted;
}

bool ResultsSortJob::keepKeys(const QVariant& value) {
    // Not all whole numbers: every row's value as it is, where that can be
    // kept; texts in runs; else sorted here and now.
    if (count_ > limits_.maxKeptRows && read_ == 0 && !value.isValid()) {
        BackgroundRelease::drop(std::move(numbers_));
        inRuns_ = true;
        readRun();
        return false;
    }
    if (count_ > limits_.maxKeptRows) {
        sortHereNow();
        return false;
    }
    keys_ = std::make_shared<std::vector<ResultsSortKey>>();
    keys_->reserve(std::size_t(count_));
    for (int row = 0; row < read_; ++row)
        keys_->push_back(ResultsSortKey::fromSortValue(numbers_[std::size_t(row)]));
    withSortValue_ = read_;
    BackgroundRelease::drop(std::move(numbers_));
    return true;
}

void ResultsSortJob::readKeys() {
    if (merging_) {
        mergeRuns();
        return;
    }
    if (inRuns_) {
        readRun();
        return;
    }
    const int rows = count_;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (read_ < rows) {
            for (const int end = std::min(rows, read_ + kRowsPerLook); read_ < end; ++read_) {
                if (numbers_) {
                    const QVariant value =
                        source_.index(read_, column_).data(ResultsSortKey::kSortRole);
                    const int type = value.userType();
                    if (type == QMetaType::LongLong || type == QMetaType::Int) {
                        numbers_[std::size_t(read_)] = value.toLongLong();
                        continue;
                    }
                    if (!keepKeys(value))
                        return; // in runs, or to be sorted here instead
                }
                if (!readingShown_) {
                    keys_->push_back(ResultsSortKey::read(source_, read_, column_));
                    withSortValue_ += keys_->back().hasSortValue() ? 1 : 0;
                } else if ((*keys_)[std::size_t(read_)].hasSortValue()) {
                    (*keys_)[std::size_t(read_)] =
                        ResultsSortKey::read(source_, read_, column_, true);
                }
            }
            if (read_ < rows && clock.elapsed() >= limits_.msPerTurn) {
                nextTurn();
                return;
            }
        }
        if (numbers_ || readingShown_ || withSortValue_ == 0 || withSortValue_ == rows)
            break;
        readingShown_ = true;
        read_ = 0;
    }
    if (!announced_ && rows <= kSortHereRows && limits_.msPerTurn > 0) {
        Sorted sorted = sortRows(fromRows(), rows, order_ == Qt::DescendingOrder, numbers_.get(),
                                 keys_.get(), *cancelled_);
        finish(End::Sorted, std::move(sorted));
        return;
    }
    sortOnWorker();
}

void ResultsSortJob::sortOnWorker() {
    // The source rows of a run, by their place in it.
    std::vector<int> run;
    if (inRuns_) {
        const int end = std::min(count_, runStart_ + int(keys_->size()));
        run.reserve(std::size_t(end - runStart_));
        for (int place = runStart_; place < end; ++place)
            run.push_back(fromRow(place));
    }
    onWorker<Sorted>(
        [from = inRuns_ ? std::shared_ptr<const std::vector<int>>() : from_,
         count = inRuns_ ? int(run.size()) : count_, run = std::move(run),
         descending = order_ == Qt::DescendingOrder, numbers = numbers_, keys = keys_,
         cancelled = cancelled_] {
            // A run's rows are sorted by their place in it, then named as source rows.
            Sorted sorted = sortRows(from ? *from : std::vector<int>(), count, descending,
                                     numbers.get(), keys.get(), *cancelled, run.empty());
            if (!run.empty())
                for (int& place : sorted.order)
                    place = run[std::size_t(place)];
            return sorted;
        },
        [this](Sorted sorted) {
            if (inRuns_)
                runSorted(std::move(sorted.order));
            else
                finish(End::Sorted, std::move(sorted));
        });
}

void ResultsSortJob::nextTurn() {
    announce();
    turn_->start();
}

void ResultsSortJob::announce() {
    if (!announced_) {
        announced_ = true;
        emit announced();
    }
}

void ResultsSortJob::readRun() {
    const int size = std::min(std::max(limits_.maxKeptRows / 2, 1), count_ - runStart_);
    if (!keys_) {
        keys_ = std::make_shared<std::vector<ResultsSortKey>>();
        keys_->reserve(std::size_t(size));
    }
    QElapsedTimer clock;
    clock.start();
    while (read_ < size) {
        for (const int end = std::min(size, read_ + kRowsPerLook); read_ < end; ++read_) {
            const int place = runStart_ + read_;
            const int row = fromRow(place);
            keys_->push_back(ResultsSortKey::read(source_, row, column_));
            if (keys_->back().hasSortValue()) {
                // Some rows have a sort value after all: compared pairwise
                // as a sorting proxy compares them.
                sortHereNow();
                return;
            }
        }
        if (read_ < size && clock.elapsed() >= limits_.msPerTurn) {
            nextTurn();
            return;
        }
    }
    sortOnWorker();
}

void ResultsSortJob::runSorted(std::vector<int> run) {
    runStart_ += int(run.size());
    runs_.push_back(std::move(run));
    BackgroundRelease::drop(std::move(keys_));
    read_ = 0;
    if (runStart_ < count_) {
        turn_->start();
        return;
    }
    // Every run sorted: merged from each one's first row on.
    merging_ = true;
    for (const std::vector<int>& sorted : runs_) {
        heads_.push_back(0);
        headKeys_.push_back(ResultsSortKey::read(source_, sorted.front(), column_));
    }
    merged_.reserve(std::size_t(count_));
    mergedRank_.assign(std::size_t(count_), -1);
    turn_->start();
}

void ResultsSortJob::mergeRuns() {
    const bool descending = order_ == Qt::DescendingOrder;
    QElapsedTimer clock;
    clock.start();
    while (int(merged_.size()) < count_) {
        for (int step = 0; step < kRowsPerLook && int(merged_.size()) < count_; ++step) {
            // The first run's row wins a tie: the runs stand in the order sorted from.
            std::size_t best = runs_.size();
            for (std::size_t r = 0; r < runs_.size(); ++r) {
                if (heads_[r] >= runs_[r].size())
                    continue;
                if (best == runs_.size() ||
                    (descending ? headKeys_[best] < headKeys_[r] : headKeys_[r] < headKeys_[best]))
                    best = r;
            }
            const int row = runs_[best][heads_[best]];
            mergedRank_[std::size_t(row)] = int(merged_.size());
            merged_.push_back(row);
            if (++heads_[best] < runs_[best].size())
                headKeys_[best] = ResultsSortKey::read(source_, runs_[best][heads_[best]], column_);
        }
        if (int(merged_.size()) < count_ && clock.elapsed() >= limits_.msPerTurn) {
            turn_->start();
            return;
        }
    }
    finish(End::Sorted, Sorted{std::move(merged_), std::move(mergedRank_)});
}

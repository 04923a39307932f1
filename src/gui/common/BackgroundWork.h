#pragma once

#include "core/common/ProgressControl.h"
#include "gui/common/BackgroundRelease.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class QTimer;
class QWidget;

// What every run of background work has, whatever it makes: a run on a
// thread of its own (so that a check, a search and a tree build never wait for
// one another), its end told through a QPromise and a QFutureWatcher,
// progress read from a ProgressControl,
// cancel, a wait, a modal wait with a progress dialog, and the GUI-thread side
// that takes what the worker handed on a slice at a time, so that the window
// answers between slices however much arrives. No worker outlives the object
// that started it: its destruction cancels the run and waits for the thread.
class BackgroundWorkBase : public QObject {
    Q_OBJECT
public:
    // Cancels the run and waits for every worker it started.
    ~BackgroundWorkBase() override;

    // Asks the work to stop. What it handed on that the GUI thread has not
    // taken yet is dropped; workEnded() follows once the worker has stopped.
    void cancelWork();
    bool isRunning() const { return running_; }
    // The last run was cancelled (by cancelWork(), or by the work itself).
    bool wasCancelled() const { return cancelled_; }
    // How far the work has come through the file, 0 to 100, as last seen.
    int percent() const { return percent_; }
    // Waits for the worker to stop (after a cancel, a few milliseconds); what
    // it handed on is then waiting to be taken.
    void waitForFinished();
    // Waits for every worker this object started, the one running and those
    // of runs it cancelled, to have ended and been joined (cancel first).
    void joinWorkers();
    // Worker threads of the whole program started and not yet joined.
    static int workersAlive();

    struct Dialog {
        QString objectName;
        QString title;
        QString label;
    };
    // Waits for the work to end while the windows go on painting; past
    // kQuietTimeMs an application-modal progress dialog shows how far it has
    // come, with Cancel (Escape and its close box cancel too). False when the
    // work was cancelled.
    bool waitShowingProgress(const Dialog& dialog, QWidget* parent);
    static constexpr int kQuietTimeMs = 500;

signals:
    void workProgressed(int percent);
    // The worker has stopped and all it handed on was taken (or dropped by a cancel).
    void workEnded();

protected:
    explicit BackgroundWorkBase(QObject* parent);
    // Before a run: a fresh control, and the watcher of its future.
    void beginRun(QFutureWatcherBase* watcher);
    // Starts a worker that runs `body`; it is joined when this object goes,
    // or sooner once it has ended and another run starts.
    void startWorker(std::function<void()> body);
    // GUI thread: takes a slice of what waits; true while more waits.
    virtual bool takeSlice() = 0;
    virtual void dropWaiting() = 0;
    // GUI thread, once the worker has stopped: keeps what it said.
    virtual void keepSummary() = 0;
    void scheduleTaking();

    std::shared_ptr<qm::ProgressControl> control_;
    QFutureWatcherBase* watcher_ = nullptr;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };

    void takeForAWhile();
    void pollProgress();
    void workerEnded();
    void endIfDone();

    QTimer* takeTimer_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    bool running_ = false;
    bool workerDone_ = false;
    bool cancelled_ = false;
    int percent_ = 0;
    std::vector<Worker> workers_;
};

// Long work over a file that hands on batches of results, in order, and ends
// with a summary: the one way the viewer runs work off the GUI thread (the
// whole-file check, the field search, the tree build, the open).
//
// The work gets a Reporter on a worker thread; it must look at cancelled()
// often (the object that started it waits for it as it goes), and all it
// reads must be its own (copies, shared pointers). Batches cross to the GUI thread under a mutex
// of their own, at most kPendingLimit waiting at a time, or fewer where the
// batches are big (setPendingLimit); the worker waits for room. There `take` gets each batch in
// order and takes what it can from `at` on, moving `at` forward; it is called again on a later turn
// of the event loop until `at` reaches the batch's size.
template <typename Batch, typename Summary> class BackgroundWork : public BackgroundWorkBase {
    // What the worker and the GUI thread share of one run.
    struct Channel {
        std::mutex mutex;
        std::condition_variable room;
        std::deque<Batch> batches;
        Summary summary{};
        bool closed = false; // the GUI side has gone or cancelled: nothing more is wanted
        std::size_t limit = kPendingLimit;
    };

public:
    static constexpr std::size_t kPendingLimit = 8;

    class Reporter {
    public:
        // The progress and cancel flag of this run, for the engine's passes.
        qm::ProgressControl& control() { return *control_; }
        bool cancelled() const { return control_->cancel.load(std::memory_order_relaxed); }
        // Hands a batch on; waits while the limit of batches wait to be taken.
        void deliver(Batch batch) {
            {
                std::unique_lock<std::mutex> lock(channel_->mutex);
                while (channel_->batches.size() >= channel_->limit && !channel_->closed)
                    channel_->room.wait_for(lock, std::chrono::milliseconds(10));
                if (channel_->closed)
                    return;
                channel_->batches.push_back(std::move(batch));
            }
            promise_.addResult(++delivered_); // wakes the GUI side
        }

    private:
        friend class BackgroundWork;
        Reporter(QPromise<int>& promise, std::shared_ptr<qm::ProgressControl> control,
                 std::shared_ptr<Channel> channel)
            : promise_(promise)
            , control_(std::move(control))
            , channel_(std::move(channel)) {}
        QPromise<int>& promise_;
        std::shared_ptr<qm::ProgressControl> control_;
        std::shared_ptr<Channel> channel_;
        int delivered_ = 0;
    };

    using Work = std::function<Summary(Reporter&)>;
    using Take = std::function<void(Batch& batch, std::size_t& at)>;
    using Size = std::function<std::size_t(const Batch& batch)>;

    explicit BackgroundWork(QObject* parent = nullptr)
        : BackgroundWorkBase(parent) {}
    ~BackgroundWork() override { close(); }

    // How batches are taken on the GUI thread; without it they are dropped.
    void setTake(Take take, Size size) {
        take_ = std::move(take);
        size_ = std::move(size);
    }

    // Batches of rows (a vector) handed to receiver at most slice rows at a time.
    // At most this many batches wait for the GUI thread (at least one), from the next start on.
    void setPendingLimit(std::size_t limit) { pendingLimit_ = std::max<std::size_t>(limit, 1); }

    template <typename Receiver> void setTakeInSlices(Receiver receiver, std::size_t slice) {
        setTake(
            [receiver = std::move(receiver), slice](Batch& batch, std::size_t& at) {
                const std::size_t end = std::min(batch.size(), at + slice);
                receiver(Batch(std::make_move_iterator(batch.begin() + std::ptrdiff_t(at)),
                               std::make_move_iterator(batch.begin() + std::ptrdiff_t(end))));
                at = end;
            },
            [](const Batch& batch) { return batch.size(); });
    }

    // Starts the work. A run still going is cancelled first, and nothing of
    // it (batches, end) is seen any more.
    void startWork(Work work) {
        close();
        if (watcher_) {
            watcher_->disconnect(this);
            watcher_->deleteLater();
        }
        taking_.clear();
        at_ = 0;
        summary_ = Summary{};
        channel_ = std::make_shared<Channel>();
        channel_->limit = pendingLimit_;
        auto* watcher = new QFutureWatcher<int>(this);
        beginRun(watcher);
        connect(watcher, &QFutureWatcherBase::resultsReadyAt, this,
                &BackgroundWork::scheduleTaking);
        QPromise<int> promise;
        watcher->setFuture(promise.future());
        // A thread of its own rather than QtConcurrent's pool: the pool hands
        // its tasks over inside Qt, where ThreadSanitizer cannot follow, and
        // the worker is to be checked as the rest of the program is.
        auto run = [promise = std::move(promise), work = std::move(work), control = control_,
                    channel = channel_]() mutable {
            promise.start();
            Summary summary{};
            {
                // The work and all it holds go before its end is told, and
                // the memory they leave goes back to the system: a file's
                // tree, read buffers, rows not taken.
                auto job = std::move(work);
                try {
                    Reporter reporter(promise, control, channel);
                    summary = job(reporter);
                } catch (const std::exception&) {
                    // Work that fails ends as if cancelled; what it handed on stays.
                    control->cancel = true;
                }
            }
            BackgroundRelease::giveBackFreed();
            {
                const std::lock_guard<std::mutex> lock(channel->mutex);
                channel->summary = std::move(summary);
            }
            promise.finish();
        };
        // Held by a pointer: the promise in it cannot be copied.
        startWorker([run = std::make_shared<decltype(run)>(std::move(run))] { (*run)(); });
    }

    // What the work said when it ended (once workEnded() has come).
    const Summary& summary() const { return summary_; }
    Summary takeSummary() { return std::move(summary_); }

private:
    void close() {
        if (!channel_)
            return;
        cancelWork();
        const std::lock_guard<std::mutex> lock(channel_->mutex);
        channel_->closed = true;
        channel_->room.notify_all();
    }

    bool takeSlice() override {
        if (taking_.empty()) {
            const std::lock_guard<std::mutex> lock(channel_->mutex);
            if (channel_->batches.empty())
                return false;
            taking_.push_back(std::move(channel_->batches.front()));
            channel_->batches.pop_front();
            channel_->room.notify_one();
        }
        Batch& batch = taking_.front();
        if (take_)
            take_(batch, at_);
        if (!take_ || !size_ || at_ >= size_(batch)) {
            taking_.clear();
            at_ = 0;
        }
        if (!taking_.empty())
            return true;
        const std::lock_guard<std::mutex> lock(channel_->mutex);
        return !channel_->batches.empty();
    }

    void keepSummary() override {
        const std::lock_guard<std::mutex> lock(channel_->mutex);
        summary_ = std::move(channel_->summary);
    }

    void dropWaiting() override {
        taking_.clear();
        at_ = 0;
        if (!channel_)
            return;
        const std::lock_guard<std::mutex> lock(channel_->mutex);
        channel_->batches.clear();
        channel_->closed = true;
        channel_->room.notify_all();
    }

    Take take_;
    Size size_;
    std::shared_ptr<Channel> channel_;
    std::size_t pendingLimit_ = kPendingLimit;
    std::deque<Batch> taking_; // the batch being taken, a slice at a time
    std::size_t at_ = 0;
    Summary summary_{};
};

// For work that hands on nothing before its end (an open, a tree build).
struct NoBatch {};

// Rows a worker finds, handed on in batches of a BackgroundWork<std::vector<Row>, ...>:
// the first at once, then at most every kInterval, so that a worker finding
// something everywhere does not flood the GUI thread; the clock is read once
// in kRowsPerClockRead rows. Rows and the hand-on may come from different
// threads (a pass's workers and the thread telling its progress).
template <typename Row, typename Reporter> class RowBatches {
public:
    static constexpr auto kInterval = std::chrono::milliseconds(25);
    static constexpr std::size_t kRowsPerClockRead = 64;

    explicit RowBatches(Reporter& run)
        : run_(run) {}

    void add(Row row) {
        const std::lock_guard<std::mutex> lock(mutex_);
        batch_.push_back(std::move(row));
        if (batch_.size() % kRowsPerClockRead == 1)
            handOnLocked(false);
    }
    // Hands the rows gathered on when the interval has passed, or now when forced.
    void handOn(bool force) {
        const std::lock_guard<std::mutex> lock(mutex_);
        handOnLocked(force);
    }

private:
    void handOnLocked(bool force) {
        if (batch_.empty() || (!force && std::chrono::steady_clock::now() - handedOn_ < kInterval))
            return;
        handedOn_ = std::chrono::steady_clock::now();
        run_.deliver(std::exchange(batch_, {}));
    }

    Reporter& run_;
    std::mutex mutex_;
    std::vector<Row> batch_;
    std::chrono::steady_clock::time_point handedOn_{};
};

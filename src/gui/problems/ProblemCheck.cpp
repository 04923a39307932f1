#include "gui/problems/ProblemCheck.h"

#include "core/check/HeaderIndex.h"
#include "core/filetree/FileTree.h"
#include "core/io/SequentialFile.h"

#include <QElapsedTimer>
#include <QTimer>
#include <chrono>

namespace {

// The worker hands on what it found at most this often, so that marks
// appear while the check runs without flooding the GUI thread.
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
// The worker looks at the clock once in this many claims.
constexpr unsigned kClaimsBetweenClockReads = 256;
// The GUI thread adds claims for this long at a time, in slices of this many.
constexpr qint64 kAddMs = 15;
constexpr std::size_t kAddSlice = 512;

std::function<void()>& claimHook() {
    static std::function<void()> hook;
    return hook;
}

// What the list takes of the whole-file check: the claims, each with its
// rows; the batches' and the file's own rows are not listed here.
class ClaimsOnly : public qm::FileCheck::Consumer {
public:
    explicit ClaimsOnly(std::function<void(const qm::FileCheck::Claim&)> take)
        : take_(std::move(take)) {}
    void batch(const qm::FileCheck::Batch&) override {}
    void claim(const qm::FileCheck::Claim& claim) override { take_(claim); }
    void trailer(const qm::FileCheck::Trailer&) override {}
    void problem(const qm::ProblemRow&) override {}

private:
    std::function<void(const qm::FileCheck::Claim&)> take_;
};

} // namespace

void ProblemCheck::setClaimHookForTests(std::function<void()> hook) {
    claimHook() = std::move(hook);
}

ProblemCheck::ProblemCheck(const qm::FileTree& tree, QObject* parent)
    : QObject(parent)
    , tree_(tree) {
    addTimer_ = new QTimer(this);
    addTimer_->setInterval(0);
    connect(addTimer_, &QTimer::timeout, this, &ProblemCheck::addPending);
}

ProblemCheck::~ProblemCheck() {
    stopWorker();
    emit closing();
}

void ProblemCheck::stopWorker() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void ProblemCheck::start(const qm::SequentialFile& file,
                         std::shared_ptr<const qm::LayoutCatalogue> layouts) {
    stopWorker();
    const unsigned generation = ++generation_;
    emit aboutToClear();
    problems_.clear();
    pending_.clear();
    pendingAdded_ = 0;
    workerDone_ = false;
    addTimer_->stop();
    emit cleared();
    layouts_ = std::move(layouts);
    percent_ = 0;

    auto reader = std::make_shared<qm::SequentialFile>();
    if (!layouts_ || !reader->openSame(file)) {
        state_ = State::Cancelled;
        emit finished();
        return;
    }
    cancel_ = false;
    state_ = State::Running;
    emit started();
    worker_ = std::thread([this, generation, reader, layouts = layouts_, hook = claimHook()] {
        using Clock = std::chrono::steady_clock;
        ProblemList::Batch batch;
        Clock::time_point handedOn = Clock::now();
        int percent = 0;
        auto handOn = [&] {
            handedOn = Clock::now();
            if (batch.empty())
                return;
            auto shared = std::make_shared<ProblemList::Batch>(std::move(batch));
            batch = ProblemList::Batch();
            QMetaObject::invokeMethod(
                this, [this, generation, shared] { deliver(generation, std::move(*shared)); },
                Qt::QueuedConnection);
        };
        qm::FileCheck::Options options;
        // The tree knows where the headers are: the file is read once, not twice.
        options.index = std::make_shared<const qm::HeaderIndex>(tree_);
        options.progress = [&](std::int64_t done, std::int64_t total) {
            const int now = total > 0 ? int(done * 100 / total) : 100;
            if (now != percent) {
                percent = now;
                QMetaObject::invokeMethod(
                    this, [this, generation, now] { progress(generation, now); },
                    Qt::QueuedConnection);
            }
            if (Clock::now() - handedOn >= kBatchInterval)
                handOn();
            return !cancel_.load();
        };
        unsigned claims = 0;
        ClaimsOnly consumer([&](const qm::FileCheck::Claim& claim) {
            if (cancel_.load(std::memory_order_relaxed))
                return;
            if (hook)
                hook();
            if (!claim.rows.empty()) {
                // A claim the tree does not have (the file changed) has no node to mark.
                if (const auto node = tree_.findNode("CA0", claim.position))
                    batch.add(*node, claim.rows, layouts.get());
            }
            if (++claims % kClaimsBetweenClockReads == 0 &&
                Clock::now() - handedOn >= kBatchInterval)
                handOn();
        });
        qm::FileCheck::run(*reader, layouts, options, consumer);
        handOn();
        QMetaObject::invokeMethod(
            this, [this, generation] { end(generation); }, Qt::QueuedConnection);
    });
}

void ProblemCheck::cancel() {
    if (state_ != State::Running)
        return;
    cancel_ = true;
    // What is still on its way from the worker is dropped: the list stays as
    // the user saw it when cancelling.
    ++generation_;
    pending_.clear();
    pendingAdded_ = 0;
    addTimer_->stop();
    state_ = State::Cancelled;
    emit finished();
}

void ProblemCheck::deliver(unsigned generation, ProblemList::Batch&& batch) {
    if (generation != generation_)
        return;
    pending_.push_back(std::move(batch));
    addTimer_->start();
}

void ProblemCheck::addPending() {
    QElapsedTimer clock;
    clock.start();
    while (!pending_.empty() && clock.elapsed() < kAddMs) {
        const qint64 firstClaim = problems_.claimCount();
        const ProblemList::Batch& batch = pending_.front();
        problems_.append(tree_, batch, pendingAdded_, kAddSlice);
        pendingAdded_ += kAddSlice;
        if (pendingAdded_ >= batch.claimCount()) {
            pending_.pop_front();
            pendingAdded_ = 0;
        }
        emit problemsAdded(firstClaim);
    }
    if (!pending_.empty())
        return;
    addTimer_->stop();
    if (workerDone_) {
        state_ = State::Finished;
        emit finished();
    }
}

void ProblemCheck::progress(unsigned generation, int percent) {
    if (generation != generation_ || percent == percent_)
        return;
    percent_ = percent;
    emit progressed(percent);
}

void ProblemCheck::end(unsigned generation) {
    if (generation != generation_)
        return;
    percent_ = 100;
    workerDone_ = true;
    // Finished once all it found is in the list.
    addPending();
}

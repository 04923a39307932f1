#include "gui/search/SearchJob.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundWork.h"

#include <chrono>
#include <iterator>
#include <mutex>

namespace {

// Batches go out at most this often, so that a search finding something in
// every claim does not flood the GUI thread; the first goes at once.
constexpr auto kBatchInterval = std::chrono::milliseconds(25);
// The GUI thread hands on this many claims at a time.
constexpr std::size_t kSlice = 256;
// The worker looks at the clock once in this many claims found.
constexpr std::size_t kClaimsBetweenClockReads = 64;

std::function<void()>& beforeSearch() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

SearchJob::SearchJob(std::shared_ptr<qm::OpenClaimFile> file, const qm::SearchPlan& plan,
                     std::int64_t maxFields, Receiver receiver, QObject* parent)
    : QObject(parent)
    , file_(std::move(file))
    , plan_(plan)
    , maxFields_(maxFields)
    , work_(new Work(this)) {
    work_->setTakeInSlices(std::move(receiver), kSlice);
    connect(work_, &BackgroundWorkBase::progressed, this, &SearchJob::progressed);
    connect(work_, &BackgroundWorkBase::finished, this, [this] {
        qm::FieldSearch::Summary summary = work_->summary();
        summary.cancelled = summary.cancelled || work_->wasCancelled();
        emit finished(summary);
    });
}

SearchJob::~SearchJob() = default;

void SearchJob::setBeforeSearchForTests(std::function<void()> hook) {
    beforeSearch() = std::move(hook);
}

void SearchJob::start() {
    auto reader = std::make_shared<qm::SequentialFile>();
    reader->openSame(file_->file());
    work_->start([reader, file = file_, plan = plan_, maxFields = maxFields_,
                  hook = beforeSearch()](Work::Reporter& run) {
        using Clock = std::chrono::steady_clock;
        if (hook)
            hook();
        qm::FieldSearch::Summary summary;
        if (run.cancelled()) {
            summary.cancelled = true; // cancelled before it began
            return summary;
        }
        // The search's workers add claims while the thread that waits for
        // them reports progress, and either may hand the batch on: one at a
        // time, batches in the order found.
        std::mutex batchMutex;
        std::vector<qm::ClaimHits> batch;
        Clock::time_point handedOn{};
        auto handOnLocked = [&](bool force) {
            if (batch.empty() || (!force && Clock::now() - handedOn < kBatchInterval))
                return;
            handedOn = Clock::now();
            run.deliver(std::exchange(batch, {}));
        };
        auto handOn = [&](bool force) {
            const std::lock_guard<std::mutex> lock(batchMutex);
            handOnLocked(force);
        };
        qm::FieldSearch::Options options;
        options.index = file->headerIndex();
        options.maxFields = maxFields;
        qm::ProgressControl& control = run.control();
        options.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            handOn(false);
            return !run.cancelled();
        };
        summary = qm::FieldSearch::run(*reader, file->layouts(), plan, options,
                                       [&](qm::ClaimHits&& claim) {
                                           const std::lock_guard<std::mutex> lock(batchMutex);
                                           batch.push_back(std::move(claim));
                                           // The first at once, then the clock now and then.
                                           if (batch.size() % kClaimsBetweenClockReads == 1)
                                               handOnLocked(false);
                                       });
        handOn(true);
        return summary;
    });
}

void SearchJob::cancel() {
    work_->cancel();
}

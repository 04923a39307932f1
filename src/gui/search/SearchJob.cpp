#include "gui/search/SearchJob.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundWork.h"

#include <iterator>

namespace {

// The GUI thread hands on this many claims at a time.
constexpr std::size_t kSlice = 256;

std::function<void()>& beforeSearch() {
    static std::function<void()> hook;
    return hook;
}

std::function<void(std::int64_t)>& readHook() {
    static std::function<void(std::int64_t)> hook;
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

void SearchJob::setReadHookForTests(std::function<void(std::int64_t position)> hook) {
    readHook() = std::move(hook);
}

void SearchJob::start() {
    auto reader = std::make_shared<qm::SequentialFile>();
    reader->openSame(file_->file());
    work_->start([reader, file = file_, plan = plan_, maxFields = maxFields_, hook = beforeSearch(),
                  read = readHook()](Work::Reporter& run) {
        if (hook)
            hook();
        qm::FieldSearch::Summary summary;
        if (run.cancelled()) {
            summary.cancelled = true; // cancelled before it began
            return summary;
        }
        // The search's workers add claims while the thread that waits for
        // them tells the progress, and either may hand them on.
        RowBatches<qm::ClaimHits, Work::Reporter> batches(run);
        qm::FieldSearch::Options options;
        options.index = file->headerIndex();
        options.maxFields = maxFields;
        options.claimHookForTests = read;
        qm::ProgressControl& control = run.control();
        options.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            batches.handOn(false);
            return !run.cancelled();
        };
        summary =
            qm::FieldSearch::run(*reader, file->layouts(), plan, options,
                                 [&](qm::ClaimHits&& claim) { batches.add(std::move(claim)); });
        batches.handOn(true);
        return summary;
    });
}

void SearchJob::cancel() {
    work_->cancel();
}

#include "gui/compare/CompareJob.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundWork.h"

#include <iterator>

namespace {

// The GUI thread takes this many rows at a time.
constexpr std::size_t kSlice = 256;

std::function<void()>& beforeCompare() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

CompareJob::CompareJob(std::shared_ptr<qm::OpenClaimFile> a, std::shared_ptr<qm::OpenClaimFile> b,
                       qm::FileComparison::Match match, Receiver receiver, QObject* parent)
    : QObject(parent)
    , a_(std::move(a))
    , b_(std::move(b))
    , match_(match)
    , work_(new Work(this)) {
    work_->setTakeInSlices(std::move(receiver), kSlice);
    connect(work_, &BackgroundWorkBase::progressed, this, &CompareJob::progressed);
    connect(work_, &BackgroundWorkBase::finished, this, [this] {
        qm::FileComparison::Summary summary = work_->summary();
        summary.cancelled = summary.cancelled || work_->wasCancelled();
        emit finished(summary);
    });
}

CompareJob::~CompareJob() = default;

void CompareJob::setBeforeCompareForTests(std::function<void()> hook) {
    beforeCompare() = std::move(hook);
}

void CompareJob::start() {
    auto readerA = std::make_shared<qm::SequentialFile>();
    readerA->openSame(a_->file());
    auto readerB = std::make_shared<qm::SequentialFile>();
    readerB->openSame(b_->file());
    work_->start([readerA, readerB, a = a_, b = b_, match = match_,
                  hook = beforeCompare()](Work::Reporter& run) {
        if (hook)
            hook();
        qm::FileComparison::Summary summary;
        if (run.cancelled()) {
            summary.cancelled = true; // cancelled before it began
            return summary;
        }
        RowBatches<CompareRow, Work::Reporter> batches(run);
        qm::FileComparison::Options options;
        options.match = match;
        qm::ProgressControl& control = run.control();
        options.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            batches.handOn(false);
            return !run.cancelled();
        };
        summary = qm::FileComparison::run(
            {*readerA, a->layouts()}, {*readerB, b->layouts()}, options, [&](qm::Difference&& d) {
                // The fields are read again when a row is opened; a count is enough here.
                batches.add({d.unit, d.kind, std::move(d.a), std::move(d.b), std::move(d.name),
                             std::move(d.number), int(d.fields.size())});
            });
        batches.handOn(true);
        return summary;
    });
}

void CompareJob::cancel() {
    work_->cancel();
}

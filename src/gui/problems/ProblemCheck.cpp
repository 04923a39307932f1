#include "gui/problems/ProblemCheck.h"

#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundWork.h"

#include <chrono>

namespace {

// The worker hands on what it found at most this often, so that marks
// appear while the check runs without flooding the GUI thread.
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
// The worker looks at the clock once in this many claims.
constexpr unsigned kClaimsBetweenClockReads = 256;
// The GUI thread adds claims to the list this many at a time.
constexpr std::size_t kAddSlice = 512;

std::function<void()>& claimHook() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

void ProblemCheck::setClaimHookForTests(std::function<void()> hook) {
    claimHook() = std::move(hook);
}

ProblemCheck::ProblemCheck(QObject* parent)
    : QObject(parent)
    , work_(new Work(this)) {
    work_->setTake([this](ProblemList::Batch& batch, std::size_t& at) { take(batch, at); },
                   [](const ProblemList::Batch& batch) { return batch.claimCount(); });
    connect(work_, &BackgroundWorkBase::progressed, this, [this](int percent) {
        if (state_ == State::Running)
            emit progressed(percent);
    });
    connect(work_, &BackgroundWorkBase::finished, this, &ProblemCheck::workFinished);
}

ProblemCheck::~ProblemCheck() {
    emit closing();
}

int ProblemCheck::percent() const {
    return state_ == State::NotStarted ? 0 : work_->percent();
}

void ProblemCheck::start(std::shared_ptr<qm::OpenClaimFile> file,
                         std::shared_ptr<const qm::FileTree> tree) {
    work_->cancel();
    emit aboutToClear();
    problems_.clear();
    emit cleared();
    layouts_ = file->layouts();
    tree_ = std::move(tree);

    auto reader = std::make_shared<qm::SequentialFile>();
    if (!layouts_ || !reader->openSame(file->file())) {
        state_ = State::Cancelled;
        emit finished();
        return;
    }
    state_ = State::Running;
    emit started();
    work_->start([reader, layouts = layouts_, tree = tree_, index = file->headerIndex(),
                  hook = claimHook()](Work::Reporter& run) {
        using Clock = std::chrono::steady_clock;
        ProblemList::Batch batch;
        Clock::time_point handedOn = Clock::now();
        auto handOn = [&] {
            handedOn = Clock::now();
            if (!batch.empty())
                run.deliver(std::exchange(batch, ProblemList::Batch()));
        };
        qm::FileCheck::Options options;
        // The tree knows where the headers are: the file is read once, not twice.
        options.index = index ? index : std::make_shared<const qm::HeaderIndex>(*tree);
        qm::ProgressControl& control = run.control();
        options.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            if (Clock::now() - handedOn >= kBatchInterval)
                handOn();
            return !run.cancelled();
        };
        unsigned claims = 0;
        const qm::FileCheck::Summary summary =
            qm::FileCheck::run(*reader, layouts, options, [&](qm::ClaimVerdict&& verdict) {
                if (run.cancelled())
                    return;
                if (hook)
                    hook();
                if (ProblemList::Batch::hasProblems(verdict)) {
                    // A claim the tree does not have (the file changed) has no node to mark.
                    if (const auto node = tree->findNode("CA0", verdict.position))
                        batch.add(*node, verdict);
                }
                if (++claims % kClaimsBetweenClockReads == 0 &&
                    Clock::now() - handedOn >= kBatchInterval)
                    handOn();
            });
        handOn();
        return summary;
    });
}

void ProblemCheck::take(ProblemList::Batch& batch, std::size_t& at) {
    const qint64 firstClaim = problems_.claimCount();
    problems_.append(*tree_, batch, at, kAddSlice);
    at += kAddSlice;
    emit problemsAdded(firstClaim);
}

void ProblemCheck::cancel() {
    if (state_ != State::Running)
        return;
    // What is still on its way from the worker is dropped: the list stays as
    // the user saw it when cancelling.
    work_->cancel();
    state_ = State::Cancelled;
    emit finished();
}

void ProblemCheck::workFinished() {
    if (state_ != State::Running)
        return; // cancelled, and said so then
    state_ = work_->wasCancelled() ? State::Cancelled : State::Finished;
    emit finished();
}

#include "gui/problems/ProblemCheck.h"

#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/PlainText.h"
#include "gui/problems/ProblemIcons.h"
#include "gui/problems/ProblemText.h"

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

ProblemCheck::ProblemCheck(std::shared_ptr<qm::OpenClaimFile> file,
                           std::shared_ptr<const qm::FileTree> tree, QObject* parent)
    : ProblemMarks(parent)
    , file_(std::move(file))
    , tree_(std::move(tree))
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

const qm::LayoutCatalogue* ProblemCheck::layouts() const {
    return file_->layouts().get();
}

void ProblemCheck::start() {
    work_->cancel();
    emit aboutToClear();
    problems_.clear();
    emit cleared();

    auto reader = std::make_shared<qm::SequentialFile>();
    if (!file_->layouts() || !reader->openSame(file_->file())) {
        state_ = State::Cancelled;
        emit finished();
        return;
    }
    state_ = State::Running;
    emit started();
    work_->start([reader, layouts = file_->layouts(), tree = tree_, index = file_->headerIndex(),
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
        ClaimsOnly consumer([&](const qm::FileCheck::Claim& claim) {
            if (run.cancelled())
                return;
            if (hook)
                hook();
            if (!claim.rows.empty()) {
                // A claim the tree does not have (the file changed) has no node to mark.
                if (const auto node = tree->findNode("CA0", claim.position))
                    batch.add(*node, claim.rows, layouts.get());
            }
            if (++claims % kClaimsBetweenClockReads == 0 &&
                Clock::now() - handedOn >= kBatchInterval)
                handOn();
        });
        const qm::FileCheck::Summary summary =
            qm::FileCheck::run(*reader, layouts, options, consumer);
        handOn();
        return summary;
    });
}

void ProblemCheck::take(ProblemList::Batch& batch, std::size_t& at) {
    const qint64 firstClaim = problems_.claimCount();
    problems_.append(*tree_, batch, at, kAddSlice);
    at += kAddSlice;
    emit marksAdded(firstClaim);
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

QString ProblemCheck::statusText() const {
    const ProblemList::Counts& totals = problems_.totals();
    const QString claims = totals.claims == 1 ? QStringLiteral("1 claim")
                                              : QStringLiteral("%1 claims").arg(totals.claims);
    if (state_ == State::Finished)
        return totals.claims ? QStringLiteral("Problems: ") + claims
                             : QStringLiteral("No problems found");
    if (state_ == State::Cancelled)
        return QStringLiteral("Check cancelled (problems so far: %1)").arg(claims);
    return QString();
}

QString ProblemCheck::statusToolTip() const {
    const ProblemList::Counts& totals = problems_.totals();
    return totals.claims ? PlainText::toolTip(ProblemText::containerToolTip(totals)) : QString();
}

QIcon ProblemCheck::mark(std::int64_t node) const {
    if (tree_->recordType(node) == "CA0") {
        const std::int64_t claim = problems_.findClaim(node);
        return claim < 0 ? QIcon()
                         : ProblemIcons::icon(ProblemList::worstOf(problems_.claimKinds(claim)));
    }
    const ProblemList::Counts* counts = problems_.findContainer(node);
    return counts ? ProblemIcons::icon(counts->worst()) : QIcon();
}

QString ProblemCheck::toolTip(std::int64_t node) const {
    QString text;
    if (tree_->recordType(node) == "CA0") {
        const std::int64_t claim = problems_.findClaim(node);
        if (claim >= 0)
            text = ProblemText::claimToolTip(layouts(), problems_, claim);
    } else if (const ProblemList::Counts* counts = problems_.findContainer(node)) {
        text = ProblemText::containerToolTip(*counts);
    }
    return text.isEmpty() ? QString() : PlainText::toolTip(text);
}

const std::vector<std::int64_t>& ProblemCheck::markedClaims() const {
    return problems_.claimNodes();
}

const std::vector<std::int64_t>& ProblemCheck::markedContainers() const {
    return problems_.containerNodes();
}

const std::vector<std::int64_t>& ProblemCheck::markedRoots() const {
    return problems_.rootNodes();
}

const std::vector<std::int64_t>& ProblemCheck::remarkedContainers() const {
    return problems_.remarkedContainers();
}

std::int64_t ProblemCheck::nextMarkedClaim(std::int64_t node) const {
    return problems_.nextClaimNode(node);
}

std::int64_t ProblemCheck::previousMarkedClaim(std::int64_t node) const {
    return problems_.previousClaimNode(node);
}

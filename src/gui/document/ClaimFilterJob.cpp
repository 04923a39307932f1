#include "gui/document/ClaimFilterJob.h"

#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/filter/ClaimFilter.h"
#include "core/filter/FilterListener.h"
#include "core/filter/FilteredCheck.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/rules/RuleSet.h"
#include "gui/common/BackgroundWork.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/FilterFeed.h"
#include "gui/document/FilterTap.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>

namespace {

// Rows go to the GUI thread in batches this big, or older than this.
constexpr std::size_t kBatchRows = 4096;
constexpr auto kBatchInterval = std::chrono::milliseconds(100);
// How long the worker waits for the check's reading at a time, between
// looks at its own cancel.
constexpr auto kFeedWait = std::chrono::milliseconds(20);

using Clock = std::chrono::steady_clock;

// A filter reading along with the whole-file check: joined on the GUI thread
// as the job starts (the chunks the check has not begun are the filter's
// from then on), left when the run is done with it.
struct CheckReading {
    std::shared_ptr<qm::FilterListener> listener;
    std::shared_ptr<qm::FilterListener::Subscriber> subscriber;
    std::shared_ptr<FilterFeed> feed;
    std::int64_t firstChunk = 0;

    static std::shared_ptr<const CheckReading> join(std::shared_ptr<qm::FilterListener> listener,
                                                    std::shared_ptr<const qm::FileTree> tree,
                                                    std::shared_ptr<const qm::ClaimFilter> filter,
                                                    bool rows) {
        if (!listener)
            return nullptr;
        auto reading = std::make_shared<CheckReading>();
        reading->feed = std::make_shared<FilterFeed>(std::move(tree));
        reading->subscriber = std::make_shared<qm::FilterListener::Subscriber>();
        reading->subscriber->filter = std::move(filter);
        reading->subscriber->listRows = rows;
        reading->subscriber->onClaim = [feed = reading->feed](const qm::ClaimListRow& row,
                                                              bool matched) {
            feed->claim(row, matched);
        };
        reading->subscriber->onEnd = [feed = reading->feed](bool done) {
            feed->end(done);
        };
        reading->firstChunk = listener->join(reading->subscriber);
        if (reading->firstChunk < 0)
            return nullptr;
        reading->listener = std::move(listener);
        return reading;
    }
    // Nothing more is fed once the run has let it go, even a run that never began.
    ~CheckReading() {
        if (listener)
            listener->leave(*subscriber);
    }
};

// One run of the job on its worker: the claims it chose, handed on in
// batches, from a reading of its own, the check's, or both.
class FilterRun {
public:
    struct Sources {
        std::shared_ptr<qm::SequentialFile> reader;
        std::shared_ptr<const qm::LayoutCatalogue> layouts;
        std::shared_ptr<const qm::FileTree> tree;
        std::shared_ptr<const qm::HeaderIndex> index;
        std::shared_ptr<const qm::ClaimFilter> filter;
        bool rows = false;
        std::shared_ptr<const CheckReading> along; // the check's reading joined, if any
    };

    FilterRun(Sources sources, std::function<void(FilteredClaims&&)> deliver,
              qm::ProgressControl& control)
        : s_(std::move(sources))
        , deliver_(std::move(deliver))
        , control_(control)
        , batch_(s_.tree) {}

    ClaimFilterJob::Summary run() {
        if (!followCheck())
            ownPass(-1, nullptr);
        handOn();
        summary_.matched = matched_;
        return summary_;
    }

private:
    bool cancelled() const { return control_.cancel.load(std::memory_order_relaxed); }

    // Reads along with the check's reading it joined: the claims of the
    // chunks it read before are read here, up to the first it hands on.
    // False when it joined none.
    bool followCheck() {
        if (!s_.along)
            return false;
        FilterFeed& feed = *s_.along->feed;
        summary_.fedByCheck = true;
        if (s_.along->firstChunk > 0)
            ownPass(-1, &feed);
        while (!cancelled()) {
            FilteredClaims rows;
            const bool ended = feed.take(rows, summary_.claims, kFeedWait);
            matched_ += std::int64_t(rows.size());
            if (!rows.rows.empty())
                deliver_(std::move(rows));
            control_.bytesTotal = s_.reader->size();
            control_.bytesDone = std::max<std::int64_t>(feed.lastPosition(), 0);
            if (ended)
                break;
        }
        // A check stopped short: the rest is read here.
        if (!cancelled() && feed.ended() && !feed.done())
            ownPass(std::max(feed.lastPosition(), lastOwn_), nullptr);
        return true;
    }

    // A reading of the job's own: the claims after position `after` (-1: from
    // the start), up to the first claim `feed` hands on (null: to the end).
    void ownPass(std::int64_t after, FilterFeed* feed) {
        Clock::time_point handedOn = Clock::now();
        bool reachedFeed = false;
        qm::FilteredCheck::Options options;
        options.filter = s_.filter.get();
        options.listRows = s_.rows;
        options.onClaim = [&](const qm::ClaimListRow& row, bool matched) {
            if (reachedFeed || row.position <= after)
                return;
            if (feed && reachedBy(*feed, row.position)) {
                reachedFeed = true;
                return;
            }
            lastOwn_ = row.position;
            ++summary_.claims;
            if (matched)
                add(row);
        };
        qm::FileCheck::Options passOptions;
        // The format's integrity edits, as the whole-file check weighs claims by.
        passOptions.rules = qm::RuleSet::integrity(s_.layouts);
        // The tree knows where the headers are: the file is read once, not twice.
        passOptions.index = s_.index;
        passOptions.progress = [&](std::int64_t done, std::int64_t total) {
            control_.bytesTotal = total;
            control_.bytesDone = done;
            ownBytes_ = done;
            if (Clock::now() - handedOn >= kBatchInterval) {
                handedOn = Clock::now();
                handOn();
            }
            return !cancelled() && !reachedFeed;
        };
        const qm::FilteredCheck::Result result =
            qm::FilteredCheck::claims(*s_.reader, s_.layouts, passOptions, options);
        summary_.bytesRead += ownBytes_;
        ownBytes_ = 0;
        summary_.fileChanged = summary_.fileChanged || result.file.fileChanged;
    }

    // Whether the claim at position lies where the check's reading took over:
    // at or past the first claim it handed on (waited for while unknown).
    bool reachedBy(FilterFeed& feed, std::int64_t position) {
        while (!cancelled()) {
            const std::int64_t first = feed.firstPosition(kFeedWait);
            if (first >= 0)
                return position >= first;
            if (feed.ended())
                return false;
        }
        return true;
    }

    void add(const qm::ClaimListRow& row) {
        const std::optional<std::int64_t> node =
            s_.tree ? s_.tree->findNode("CA0", row.position) : std::nullopt;
        batch_.add(row, node ? *node : -1);
        ++matched_;
        if (batch_.size() >= kBatchRows)
            handOn();
    }

    void handOn() {
        if (!batch_.rows.empty())
            deliver_(std::exchange(batch_, FilteredClaims(s_.tree)));
    }

    Sources s_;
    std::function<void(FilteredClaims&&)> deliver_;
    qm::ProgressControl& control_;
    FilteredClaims batch_;
    ClaimFilterJob::Summary summary_;
    std::int64_t matched_ = 0;
    std::int64_t lastOwn_ = -1; // the last claim read by the job's own reading
    std::int64_t ownBytes_ = 0;
};

} // namespace

ClaimFilterJob::ClaimFilterJob(ClaimDocument& document, QObject* parent)
    : QObject(parent)
    , document_(&document)
    , work_(new Work(this)) {
    // A batch at a time: the views take a whole batch in a step, a few
    // thousand rows.
    work_->setTake(
        [this](FilteredClaims& rows, std::size_t& at) {
            emit rowsArrived(rows);
            at = rows.size();
        },
        [](const FilteredClaims& rows) { return rows.size(); });
    connect(work_, &BackgroundWorkBase::workProgressed, this, &ClaimFilterJob::progressed);
    connect(work_, &BackgroundWorkBase::workEnded, this, &ClaimFilterJob::ended);
    // The document's file goes with the document: so does this run.
    connect(&document, &ClaimDocument::closing, this, &ClaimFilterJob::cancel);
}

ClaimFilterJob::~ClaimFilterJob() = default;

void ClaimFilterJob::start(std::shared_ptr<const qm::ClaimFilter> filter, bool rows) {
    auto reader = std::make_shared<qm::SequentialFile>();
    if (!document_ || document_->isClosed() || !document_->file().layouts() ||
        !reader->openSame(document_->file().file())) {
        // Nothing to read: the run before, if any, ends as cancelled, and says so.
        if (work_->isRunning())
            work_->cancelWork();
        else
            emit ended();
        return;
    }
    FilterRun::Sources sources;
    sources.reader = std::move(reader);
    sources.layouts = document_->file().layouts();
    sources.tree = document_->tree();
    sources.index = document_->file().headerIndex();
    if (!sources.index && sources.tree)
        sources.index = std::make_shared<const qm::HeaderIndex>(*sources.tree);
    sources.filter = filter;
    sources.rows = rows;
    // A filter of the tree that asks no problems reads on its own, beside the
    // check: weighing only the claims it lets in, it is done long before the
    // check, which one reading along would have waited for (5 s of ten
    // million claims, against 2 to 3).
    const bool ownReading = filter && !filter->program().usesProblems && !rows;
    if (!ownReading)
        sources.along = CheckReading::join(document_->filterTap().reading(), sources.tree,
                                           std::move(filter), rows);
    work_->startWork([sources = std::move(sources)](Work::Reporter& run) mutable {
        FilterRun filterRun(
            std::move(sources), [&run](FilteredClaims&& batch) { run.deliver(std::move(batch)); },
            run.control());
        return filterRun.run();
    });
}

void ClaimFilterJob::cancel() {
    work_->cancelWork();
}

bool ClaimFilterJob::isRunning() const {
    return work_->isRunning();
}

bool ClaimFilterJob::wasCancelled() const {
    return work_->wasCancelled();
}

int ClaimFilterJob::percent() const {
    return work_->percent();
}

const ClaimFilterJob::Summary& ClaimFilterJob::summary() const {
    return work_->summary();
}

void ClaimFilterJob::waitForFinished() {
    while (work_->isRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

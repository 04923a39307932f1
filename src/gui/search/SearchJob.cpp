#include "gui/search/SearchJob.h"

#include "core/check/HeaderIndex.h"

#include <QMetaObject>
#include <functional>

namespace {

// Batches go out at most this often, so that a search finding something in
// every claim does not flood the event loop; the first goes at once.
constexpr auto kBatchInterval = std::chrono::milliseconds(25);

std::function<void()>& beforeSearch() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

SearchJob::SearchJob(const qm::SequentialFile& file,
                     std::shared_ptr<const qm::LayoutCatalogue> layouts, const qm::SearchPlan& plan,
                     std::shared_ptr<const qm::HeaderIndex> index, std::int64_t maxFields,
                     QObject* parent)
    : QObject(parent)
    , layouts_(std::move(layouts))
    , plan_(plan)
    , index_(std::move(index))
    , maxFields_(maxFields) {
    file_.openSame(file);
}

SearchJob::~SearchJob() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void SearchJob::setBeforeSearchForTests(std::function<void()> hook) {
    beforeSearch() = std::move(hook);
}

void SearchJob::start() {
    // The hook is taken here, on the GUI thread that sets it, not read by the
    // worker while a test may be setting the next one.
    worker_ = std::thread([this, before = beforeSearch()] {
        if (before)
            before();
        run();
    });
}

void SearchJob::cancel() {
    cancel_ = true;
}

void SearchJob::deleteWhenFinished() {
    deleteWhenFinished_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    if (done_ && !posted_)
        deleteLater();
}

void SearchJob::run() {
    qm::FieldSearch::Summary summary;
    if (cancel_) {
        summary.cancelled = true; // cancelled before it began
    } else {
        qm::FieldSearch::Options options;
        options.index = index_;
        options.maxFields = maxFields_;
        options.progress = [this](std::int64_t done, std::int64_t total) {
            percent_ = total > 0 ? int(done * 100 / total) : 0;
            post(false);
            return !cancel_;
        };
        summary = qm::FieldSearch::run(file_, layouts_, plan_, options, [this](qm::ClaimHits&& c) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                pending_.push_back(std::move(c));
                if (posted_)
                    return; // the delivery on its way takes this claim too
            }
            post(false);
        });
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        summary_ = summary;
        done_ = true;
    }
    post(true);
}

void SearchJob::post(bool force) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (posted_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - lastPost_ < kBatchInterval)
            return;
        posted_ = true;
        lastPost_ = now;
    }
    QMetaObject::invokeMethod(this, &SearchJob::deliver, Qt::QueuedConnection);
}

void SearchJob::deliver() {
    std::vector<qm::ClaimHits> claims;
    bool done = false;
    qm::FieldSearch::Summary summary;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        claims.swap(pending_);
        posted_ = false;
        done = done_;
        summary = summary_;
    }
    if (!claims.empty())
        emit found(claims);
    if (percent_ != shownPercent_) {
        shownPercent_ = percent_;
        emit progressed(shownPercent_);
    }
    if (!done)
        return;
    if (worker_.joinable())
        worker_.join(); // it has finished: no wait
    emit finished(summary);
    if (deleteWhenFinished_)
        deleteLater();
}

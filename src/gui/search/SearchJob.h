#pragma once

#include "core/io/SequentialFile.h"
#include "core/search/FieldSearch.h"
#include "core/search/SearchPlan.h"

#include <QObject>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {
class HeaderIndex;
}

// One field search of the viewer, run on a worker thread. The claims found
// reach the GUI thread in batches by queued calls, with the share of the file
// read; the GUI thread never waits for the worker. A job owns all it reads
// (a reader of its own on the file, the plan, the layouts, the index), so it
// may outlive the file being closed.
class SearchJob : public QObject {
    Q_OBJECT
public:
    SearchJob(const qm::SequentialFile& file, std::shared_ptr<const qm::LayoutCatalogue> layouts,
              const qm::SearchPlan& plan, std::shared_ptr<const qm::HeaderIndex> index,
              std::int64_t maxFields, QObject* parent = nullptr);
    // Cancels a search still running and waits for its worker, which stops
    // within a few milliseconds of a cancel.
    ~SearchJob() override;

    void start();
    // Asks the search to stop; finished() follows, with Summary::cancelled.
    void cancel();
    // The job deletes itself once its search has finished.
    void deleteWhenFinished();

    // Test seam: runs on the worker thread before the search starts (a job
    // takes the hook set when it starts).
    static void setBeforeSearchForTests(std::function<void()> hook);

signals:
    // Claims with matching fields, in file tree order.
    void found(std::vector<qm::ClaimHits>& claims);
    void progressed(int percent);
    void finished(const qm::FieldSearch::Summary& summary);

private:
    void run();
    // Worker: asks for a delivery unless one is on its way or one went out
    // very recently (force: at the end).
    void post(bool force);
    // GUI thread: hands on what the worker has found so far.
    void deliver();

    qm::SequentialFile file_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    qm::SearchPlan plan_;
    std::shared_ptr<const qm::HeaderIndex> index_;
    std::int64_t maxFields_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    int shownPercent_ = -1;
    bool deleteWhenFinished_ = false;

    std::mutex mutex_; // guards what follows
    std::vector<qm::ClaimHits> pending_;
    bool posted_ = false;
    bool done_ = false;
    qm::FieldSearch::Summary summary_;
    std::chrono::steady_clock::time_point lastPost_{};
};

#pragma once

#include "core/search/FieldSearch.h"
#include "core/search/SearchPlan.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

template <typename Batch, typename Summary> class BackgroundWork;

namespace qm {
class HeaderIndex;
class OpenClaimFile;
} // namespace qm

// One field search of the viewer, run in the background: the claims found
// reach the one receiver on the GUI thread in file tree order, a slice at a
// time, with the share of the file read; the GUI thread never waits for the
// worker. The worker holds all it reads (the open file, a reader of its own,
// the plan, the layouts, the index), so the job may go while it runs: its
// worker then stops on its own.
class SearchJob : public QObject {
    Q_OBJECT
public:
    // Claims with matching fields, to keep (they are the receiver's).
    using Receiver = std::function<void(std::vector<qm::ClaimHits>&& claims)>;

    SearchJob(std::shared_ptr<qm::OpenClaimFile> file, const qm::SearchPlan& plan,
              std::int64_t maxFields, Receiver receiver, QObject* parent = nullptr);
    ~SearchJob() override;

    void start();
    // Asks the search to stop; finished() follows, with Summary::cancelled.
    void cancel();

    // Test seam: runs on the worker thread before the search starts (a job
    // takes the hook set when it starts).
    static void setBeforeSearchForTests(std::function<void()> hook);
    // Test seam: runs on a worker with a claim's position just before the
    // claim is read (so that a test can change the file underneath).
    static void setReadHookForTests(std::function<void(std::int64_t position)> hook);

signals:
    void progressed(int percent);
    void finished(const qm::FieldSearch::Summary& summary);

private:
    using Work = BackgroundWork<std::vector<qm::ClaimHits>, qm::FieldSearch::Summary>;

    std::shared_ptr<qm::OpenClaimFile> file_;
    qm::SearchPlan plan_;
    std::int64_t maxFields_;
    Work* work_ = nullptr;
};

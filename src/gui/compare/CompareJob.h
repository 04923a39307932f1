#pragma once

#include "core/compare/FileComparison.h"
#include "gui/compare/CompareRow.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

template <typename Batch, typename Summary> class BackgroundWork;

namespace qm {
class OpenClaimFile;
}

// One comparison of the viewer, run in the background: the open file (A)
// against another (B), each read through a reader of its own. The rows
// reach the one receiver on the GUI thread in the order they are found, a
// slice at a time, with the share of both files read; the GUI thread never
// waits for the worker. The worker holds both files, so the job may go
// while it runs: its worker then stops on its own.
class CompareJob : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(std::vector<CompareRow>&& rows)>;

    CompareJob(std::shared_ptr<qm::OpenClaimFile> a, std::shared_ptr<qm::OpenClaimFile> b,
               qm::FileComparison::Match match, Receiver receiver, QObject* parent = nullptr);
    ~CompareJob() override;

    void start();
    // Asks the comparison to stop; finished() follows, with Summary::cancelled.
    void cancel();

    // Test seam: runs on the worker thread before the comparison starts (a
    // job takes the hook set when it starts).
    static void setBeforeCompareForTests(std::function<void()> hook);

signals:
    void progressed(int percent);
    void finished(const qm::FileComparison::Summary& summary);

private:
    using Work = BackgroundWork<std::vector<CompareRow>, qm::FileComparison::Summary>;

    std::shared_ptr<qm::OpenClaimFile> a_;
    std::shared_ptr<qm::OpenClaimFile> b_;
    qm::FileComparison::Match match_;
    Work* work_ = nullptr;
};

#pragma once

#include "core/check/FileCheck.h"
#include "gui/problems/ProblemList.h"

#include <QObject>
#include <functional>
#include <memory>

template <typename Batch, typename Summary> class BackgroundWork;

namespace qm {
class FileTree;
class LayoutCatalogue;
class OpenClaimFile;
} // namespace qm

// The whole-file check of one file tree, run in the background: every claim
// is checked as a click on it would check it, on worker threads reading the
// file through readers of their own, and the claims with problems are
// gathered in a ProblemList on the GUI thread, batch by batch, while the
// window stays responsive. Destroying it stops the check.
//
// Whoever shows the list follows it through the signals: problemsAdded after
// claims were appended at its end, aboutToClear / cleared around a restart,
// closing when the check goes (the list with it).
class ProblemCheck : public QObject {
    Q_OBJECT
public:
    enum class State { NotStarted, Running, Finished, Cancelled };

    explicit ProblemCheck(QObject* parent = nullptr);
    ~ProblemCheck() override;

    // Checks (again, from scratch) an open file, its claims numbered by tree.
    void start(std::shared_ptr<qm::OpenClaimFile> file, std::shared_ptr<const qm::FileTree> tree);
    // Stops a running check; what it found so far stays.
    void cancel();

    // Test seam: called on the worker before each claim's verdict is looked
    // at (to slow a check down); empty for none. Set it while no check runs.
    static void setClaimHookForTests(std::function<void()> hook);

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    int percent() const;
    const ProblemList& problems() const { return problems_; }
    // The tree the claims are numbered by (only once started).
    const qm::FileTree& tree() const { return *tree_; }
    // The layouts the file is checked with (for field names), or nullptr.
    const qm::LayoutCatalogue* layouts() const { return layouts_.get(); }

signals:
    void started();
    void progressed(int percent);
    void problemsAdded(qint64 firstClaim);
    // The check ended: finished, cancelled, or not started for want of a file.
    void finished();
    void aboutToClear();
    void cleared();
    void closing();

private:
    using Work = BackgroundWork<ProblemList::Batch, qm::FileCheck::Summary>;
    void take(ProblemList::Batch& batch, std::size_t& at);
    void workFinished();

    std::shared_ptr<const qm::FileTree> tree_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    ProblemList problems_;
    State state_ = State::NotStarted;
    Work* work_ = nullptr;
};

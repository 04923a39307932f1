#pragma once

#include "core/check/FileCheck.h"
#include "gui/problems/ProblemList.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

namespace qm {
class FileTree;
class LayoutCatalogue;
class SequentialFile;
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

    // The tree the claims are numbered by; it must outlive the check.
    explicit ProblemCheck(const qm::FileTree& tree, QObject* parent = nullptr);
    ~ProblemCheck() override;

    // Checks (again, from scratch) the file open in `file` with `layouts`.
    void start(const qm::SequentialFile& file, std::shared_ptr<const qm::LayoutCatalogue> layouts);
    // Stops a running check; what it found so far stays.
    void cancel();

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    int percent() const { return percent_; }
    const ProblemList& problems() const { return problems_; }
    const qm::FileTree& tree() const { return tree_; }
    // The layouts the file is checked with (for field names), or nullptr.
    const qm::LayoutCatalogue* layouts() const { return layouts_.get(); }

signals:
    void started();
    void progressed(int percent);
    void problemsAdded(qint64 firstClaim, qint64 firstItem);
    // The check ended: finished, cancelled, or not started for want of a file.
    void finished();
    void aboutToClear();
    void cleared();
    void closing();

private:
    void stopWorker();
    // On the GUI thread, from the worker.
    void deliver(unsigned generation, ProblemList::Batch&& batch);
    void progress(unsigned generation, int percent);
    void end(unsigned generation);

    const qm::FileTree& tree_;
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    ProblemList problems_;
    State state_ = State::NotStarted;
    int percent_ = 0;
    // Deliveries of an earlier run that arrive late are dropped by this.
    unsigned generation_ = 0;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

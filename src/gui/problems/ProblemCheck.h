#pragma once

#include "core/check/FileCheck.h"
#include "gui/common/ProblemMarks.h"
#include "gui/problems/ProblemList.h"

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
// gathered in a ProblemList on the GUI thread, a slice at a time, while the
// window stays responsive. Destroying it stops the check.
//
// Whoever shows the list follows it through the signals: marksAdded after
// claims were appended at its end, aboutToClear / cleared around a restart,
// closing when the check goes (the list with it).
class ProblemCheck : public ProblemMarks {
    Q_OBJECT
public:
    // The claims are numbered by the file's tree.
    ProblemCheck(std::shared_ptr<qm::OpenClaimFile> file, std::shared_ptr<const qm::FileTree> tree,
                 QObject* parent = nullptr);
    ~ProblemCheck() override;

    // Test seam: called on the worker before each claim's verdict is looked
    // at (to slow a check down); empty for none. Set it while no check runs.
    static void setClaimHookForTests(std::function<void()> hook);

    State state() const override { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    int percent() const override;
    QString statusText() const override;
    QString statusToolTip() const override;
    QIcon mark(std::int64_t node) const override;
    QString toolTip(std::int64_t node) const override;
    const std::vector<std::int64_t>& markedClaims() const override;
    const std::vector<std::int64_t>& markedContainers() const override;
    const std::vector<std::int64_t>& markedRoots() const override;
    const std::vector<std::int64_t>& remarkedContainers() const override;
    std::int64_t nextMarkedClaim(std::int64_t node) const override;
    std::int64_t previousMarkedClaim(std::int64_t node) const override;

    const ProblemList& problems() const { return problems_; }
    // The tree the claims are numbered by.
    const qm::FileTree& tree() const { return *tree_; }
    // The layouts the file is checked with (for field names).
    const qm::LayoutCatalogue* layouts() const;

public slots:
    void start() override;
    void cancel() override;

private:
    using Work = BackgroundWork<ProblemList::Batch, qm::FileCheck::Summary>;
    void take(ProblemList::Batch& batch, std::size_t& at);
    void workFinished();

    std::shared_ptr<qm::OpenClaimFile> file_;
    std::shared_ptr<const qm::FileTree> tree_;
    ProblemList problems_;
    State state_ = State::NotStarted;
    Work* work_ = nullptr;
};

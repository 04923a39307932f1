#pragma once

#include "core/check/FileCheck.h"
#include "core/check/ProblemStore.h"
#include "gui/common/ProblemMarks.h"
#include "gui/document/ProblemCounts.h"

#include <functional>
#include <memory>
#include <vector>

template <typename Batch, typename Summary> class BackgroundWork;

namespace qm {
class FileTree;
struct FileStatistics;
class LayoutCatalogue;
class OpenClaimFile;
} // namespace qm

// The whole-file check of one file tree, run in the background: every claim
// checked as a click on it would check it, every batch and the file weighed
// against their trailers and their structure checked, on worker threads
// reading the file through readers of their own. Every row it finds goes
// into a ProblemStore that the open file holds (the rows of `check --json`,
// in file order), appended on the GUI thread a slice at a time while the
// window stays responsive, and marks the tree: a claim with problems, a file
// header or batch with problems of its own (its own mark), one above claims
// with problems (a smaller mark). Destroying it stops the check.
//
// Whoever shows the rows follows it through the signals: marksAdded after
// rows were appended, aboutToClear / cleared around a restart (a new store),
// closing when the check goes.
class ProblemCheck : public ProblemMarks {
    Q_OBJECT
public:
    // The claims are numbered by the file's tree.
    ProblemCheck(std::shared_ptr<qm::OpenClaimFile> file, std::shared_ptr<const qm::FileTree> tree,
                 QObject* parent = nullptr);
    ~ProblemCheck() override;

    // Test seams, set while no check runs; empty for none. The claim hook
    // is called on the worker as each claim's rows are gathered (to slow a
    // check down); the read hook on a reading thread with a claim's position
    // just before the claim is read (to change the file underneath).
    static void setClaimHookForTests(std::function<void()> hook);
    static void setReadHookForTests(std::function<void(std::int64_t position)> hook);

    State state() const override { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    int percent() const override;
    QString statusText() const override;
    QString statusToolTip() const override;
    bool fileChanged() const override;
    QIcon mark(std::int64_t node) const override;
    QString toolTip(std::int64_t node) const override;
    std::int64_t markedClaimCount() const override;
    std::int64_t markedClaim(std::int64_t i) const override;
    std::int64_t markedClaimsBefore(std::int64_t node) const override;
    const std::vector<std::int64_t>& markedContainers() const override;
    const std::vector<std::int64_t>& markedRoots() const override;
    const std::vector<std::int64_t>& remarkedContainers() const override;
    std::int64_t nextMarkedClaim(std::int64_t node) const override;
    std::int64_t previousMarkedClaim(std::int64_t node) const override;

    // The rows found so far (all of them once finished), in the store of
    // this run of the check.
    const qm::ProblemStore& problems() const { return *store_; }
    std::shared_ptr<const qm::ProblemStore> store() const { return store_; }
    // The tree the claims are numbered by.
    const qm::FileTree& tree() const { return *tree_; }
    // The layouts the file is checked with (for field names).
    const qm::LayoutCatalogue* layouts() const;
    // Rows, claims, batches and rows of the file's own: the summary's counts
    // once the check has finished, what was found so far before.
    qm::ProblemStore::Counts counts() const;
    // The claims found not read because the file changed (once finished).
    std::int64_t notRead() const;
    // The file's figures gathered by the same reading, once the check has
    // finished; null before, or when it was cancelled.
    std::shared_ptr<const qm::FileStatistics> statistics() const { return statistics_; }

public slots:
    void start() override;
    void cancel() override;

private:
    using Work = BackgroundWork<qm::ProblemStore::Pending, qm::FileCheck::Summary>;
    // What a file header or batch is marked for.
    struct Container {
        ProblemCounts beneath; // claims with problems beneath it
        unsigned ownKinds = 0; // bit k: a row of its own marks as ProblemKind k
        std::int64_t ownRows = 0;
        std::vector<std::int64_t> firstOwnRows; // the first few, for its tooltip
    };

    void take(qm::ProblemStore::Pending& pending, std::size_t& at);
    void workFinished();
    // Marks what the row just appended as `row` is about.
    void markRow(const qm::ProblemStore::Entry& entry, std::int64_t row);
    void markClaimKind(std::int64_t node, ProblemKind kind, bool newClaim);
    Container& container(std::int64_t node);
    void listRoot(std::int64_t node);
    QIcon containerMark(const Container& container) const;
    const Container* findContainer(std::int64_t node) const;

    std::shared_ptr<qm::OpenClaimFile> file_;
    std::shared_ptr<const qm::FileTree> tree_;
    std::shared_ptr<qm::ProblemStore> store_;
    std::shared_ptr<qm::FileStatistics> gathering_; // the running check's
    std::shared_ptr<const qm::FileStatistics> statistics_;
    State state_ = State::NotStarted;
    Work* work_ = nullptr;

    std::vector<std::int64_t> containerNodes_; // sorted
    std::vector<Container> containers_;
    std::vector<std::int64_t> rootNodes_; // sorted
    std::vector<std::int64_t> remarked_;
    bool relisted_ = false;          // a node went in before the last of its list in this slice
    ProblemCounts claimTotals_;      // every claim with problems, by kind
    std::int64_t countedClaim_ = -1; // the claim whose kinds are being counted
    unsigned countedKinds_ = 0;
    std::int64_t markingNode_ = -1; // the claim node whose kinds are being marked
    unsigned markingKinds_ = 0;
};

#pragma once

#include "core/check/FileCheck.h"
#include "core/check/ProblemStore.h"
#include "gui/common/ProblemMarks.h"
#include "gui/document/ProblemCounts.h"
#include "gui/document/ProblemGroups.h"
#include "gui/document/RulesChoice.h"
#include "gui/document/WorkSeams.h"

#include <memory>
#include <vector>

template <typename Batch, typename Summary> class BackgroundWork;
class PassTap;

namespace qm {
class FileTree;
class LayoutCatalogue;
class OpenClaimFile;
class SequentialFile;
} // namespace qm

// The whole-file check of the file's tree, run in the background: every claim
// checked as a click on it would check it, every batch and the file weighed
// against their trailers and their structure checked, on worker threads
// reading the file through readers of their own. Every row it finds goes
// into a ProblemStore that the open file holds (the rows of `check --json`,
// in file order), appended on the GUI thread a slice at a time while the
// window stays responsive, and marks the tree: a claim with problems, a file
// header or batch with problems of its own (its own mark), one above claims
// with problems (a smaller mark). The check's one reading of the file also
// feeds every tap registered on it (the statistics, and whatever reads along).
// Destroying it stops the check and waits for its worker.
//
// Whoever shows the rows follows it through the signals: marksAdded after
// rows were appended, aboutToClear / cleared around a restart (a new store,
// or a new tree), checkGoing when the check goes.
class ProblemCheck : public ProblemMarks {
    Q_OBJECT
public:
    // Checks nothing until it is given a tree (setTree); seams: the worker's
    // pause point, its hook before each claim and the reader's.
    ProblemCheck(std::shared_ptr<qm::OpenClaimFile> file, std::shared_ptr<const WorkSeams> seams,
                 QObject* parent = nullptr);
    ~ProblemCheck() override;

    // The tree the claims are numbered by (a new one: the check stops, and
    // what it found goes); null for none.
    void setTree(std::shared_ptr<const qm::FileTree> tree);
    bool hasTree() const { return tree_ != nullptr; }
    // Reads along in every run from the next on; the tap must outlive the check.
    void addTap(PassTap* tap);
    // Stops a running check and waits for its worker to have ended.
    void stopAndJoin();

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
    // The same, held for a worker that may outlive the file.
    std::shared_ptr<const qm::LayoutCatalogue> layoutCatalogue() const;
    // Rows, claims, batches and rows of the file's own: the summary's counts
    // once the check has finished, what was found so far before.
    qm::ProblemStore::Counts counts() const;
    // The claims found not read because the file changed (once finished).
    std::int64_t notRead() const;
    // The rows found so far by kind and by rule.
    const ProblemGroups& groups() const { return groups_; }
    // The rules this run weighs claims by (nullptr: none), as chosen when it
    // started, and why any chosen file did not load.
    const RulesChoice::Loaded& rules() const { return rules_; }

public slots:
    void startCheck() override;
    void cancelCheck() override;

private:
    using Work = BackgroundWork<qm::ProblemStore::Pending, qm::FileCheck::Summary>;
    // What a file header or batch is marked for.
    struct Container {
        ProblemCounts beneath; // claims with problems beneath it
        unsigned ownKinds = 0; // bit k: a row of its own marks as ProblemKind k
        std::int64_t ownRows = 0;
        std::vector<std::int64_t> firstOwnRows; // the first few, for its tooltip
    };

    // Empties what the last run found (for a restart, or a new tree).
    void clear();
    // Starts the run's work on the worker, with the taps' listeners.
    void startWork(std::shared_ptr<qm::SequentialFile> reader);
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
    std::shared_ptr<const WorkSeams> seams_;
    std::shared_ptr<const qm::FileTree> tree_;
    std::shared_ptr<qm::ProblemStore> store_;
    std::vector<PassTap*> taps_;
    RulesChoice::Loaded rules_;
    ProblemGroups groups_;
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

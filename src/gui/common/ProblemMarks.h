#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

// What the file tree asks of the whole-file check, without knowing it: how
// far the check has come, the marks of the nodes with problems and their
// tooltips, and which nodes those are. The tree window reads the check of
// its document through this.
//
// Marked nodes are listed in node order: the claims with problems, the file
// headers and batches with problems of their own or above such claims, and
// which of those are roots of the tree. The lists only grow while the check
// runs (marksAdded), and are emptied around a new run (aboutToClear,
// cleared); a file header marked after nodes below it were listed puts the
// lists in order again (relisted).
class ProblemMarks : public QObject {
    Q_OBJECT
public:
    enum class State { NotStarted, Running, Finished, Cancelled };

    explicit ProblemMarks(QObject* parent = nullptr);
    ~ProblemMarks() override;

    virtual State state() const = 0;
    virtual int percent() const = 0;
    // What the check has to say in a status bar ("Problems: 3 claims"), and
    // its tooltip (plain text); empty before it starts.
    virtual QString statusText() const = 0;
    virtual QString statusToolTip() const = 0;
    // The check that ended found that the file changed while it was read:
    // what it says is no verdict on the file, and checking again is offered.
    virtual bool fileChanged() const = 0;

    // A node's mark and the tooltip that says why; none for a node without.
    virtual QIcon mark(std::int64_t node) const = 0;
    virtual QString toolTip(std::int64_t node) const = 0;

    // The marked claims in node order: how many, the node of the i-th, and
    // how many lie before a node.
    virtual std::int64_t markedClaimCount() const = 0;
    virtual std::int64_t markedClaim(std::int64_t i) const = 0;
    virtual std::int64_t markedClaimsBefore(std::int64_t node) const = 0;
    virtual const std::vector<std::int64_t>& markedContainers() const = 0;
    virtual const std::vector<std::int64_t>& markedRoots() const = 0;
    // The file headers and batches whose mark the last addition changed.
    virtual const std::vector<std::int64_t>& remarkedContainers() const = 0;

    // The first marked claim after node, or the last before it; -1 when none.
    virtual std::int64_t nextMarkedClaim(std::int64_t node) const = 0;
    virtual std::int64_t previousMarkedClaim(std::int64_t node) const = 0;

public slots:
    // Checks (again, from the start) the file of the tree.
    virtual void startCheck() = 0;
    // Stops a running check; what it found so far stays.
    virtual void cancelCheck() = 0;

signals:
    void checkStarted();
    void checkProgressed(int percent);
    // Claims from markedClaim(firstClaim) on were marked (and the
    // containers above them), or file headers and batches for problems of
    // their own.
    void marksAdded(qint64 firstClaim);
    // A node was listed before nodes listed earlier: the lists are whole and
    // in node order again, and whoever shows only marked nodes lists them anew.
    void relisted();
    // The check ended: finished, cancelled, or not started for want of a file.
    void checkEnded();
    void aboutToClear();
    void cleared();
    // The check is going, and its marks with it.
    void checkGoing();
};

#pragma once

#include "gui/document/FilteredClaims.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

class ClaimDocument;
template <typename Batch, typename Summary> class BackgroundWork;

namespace qm {
class ClaimFilter;
}

// A pass over the document's claims on a worker: the claims a filter
// chooses (every claim without one), with their nodes in the document's tree
// and, when asked, their claim list rows, handed to the GUI thread in file
// order as they come. The claims' problems are those of the whole-file
// check, weighed as it weighs them. While the check goes, the run reads
// along with it (its one reading feeds the filter too) and reads itself only
// what the check had read before; else it reads the file once, the tree
// telling where the claims are. A new start cancels the run before.
class ClaimFilterJob : public QObject {
    Q_OBJECT
public:
    struct Summary {
        std::int64_t matched = 0;
        std::int64_t claims = 0; // in the file
        bool fileChanged = false;
        // Whether the whole-file check's reading fed the run, and the bytes
        // the run read itself.
        bool fedByCheck = false;
        std::int64_t bytesRead = 0;
    };

    explicit ClaimFilterJob(ClaimDocument& document, QObject* parent = nullptr);
    ~ClaimFilterJob() override;

    // filter: null for every claim. rows: word the claim list's texts and figures.
    void start(std::shared_ptr<const qm::ClaimFilter> filter, bool rows);
    void cancel();
    bool isRunning() const;
    bool wasCancelled() const;
    int percent() const;
    // Of the run that ended last.
    const Summary& summary() const;
    // Waits for the run's end, everything it found taken (for tests and tools).
    void waitForFinished();

signals:
    void rowsArrived(const FilteredClaims& rows);
    void progressed(int percent);
    // The run has ended: finished, cancelled, or on a file that changed.
    void ended();

private:
    using Work = BackgroundWork<FilteredClaims, Summary>;
    QPointer<ClaimDocument> document_;
    Work* work_ = nullptr;
};

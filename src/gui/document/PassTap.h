#pragma once

#include <memory>

namespace qm {
class PassListener;
}

// One more reader of the whole-file check's one reading of the file (its
// statistics; later a claim list, a display filter, rules): each run of the
// check asks every tap registered on it (ProblemCheck::addTap) for a listener
// of its own, which reads along on the check's workers, and tells the tap how
// the run ended.
class PassTap {
public:
    virtual ~PassTap();
    // GUI thread, as a run starts: this run's listener, or null to sit it out.
    virtual std::shared_ptr<qm::PassListener> listenerForRun() = 0;
    // GUI thread, once the run's worker has stopped: the file read to its end
    // (finished) or not; the listener is done with.
    virtual void runEnded(bool finished) = 0;
};

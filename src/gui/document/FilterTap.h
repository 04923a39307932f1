#pragma once

#include "gui/document/PassTap.h"

#include <memory>

namespace qm {
class FilterListener;
class OpenClaimFile;
} // namespace qm

// Claim filters read along with the whole-file check: every run of the check
// has a listener that a filter's job may join while the run goes, so that
// the check's reading of the file feeds the display filter and the Claim
// List too.
class FilterTap : public PassTap {
public:
    explicit FilterTap(std::shared_ptr<qm::OpenClaimFile> file);
    ~FilterTap() override;

    std::shared_ptr<qm::PassListener> listenerForRun() override;
    void runEnded(bool finished) override;

    // GUI thread: the listener of the run going now; null when none goes.
    const std::shared_ptr<qm::FilterListener>& reading() const { return running_; }

private:
    std::shared_ptr<qm::OpenClaimFile> file_;
    std::shared_ptr<qm::FilterListener> running_;
};

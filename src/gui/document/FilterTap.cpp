#include "gui/document/FilterTap.h"

#include "core/filter/FilterListener.h"
#include "core/openfile/OpenClaimFile.h"

FilterTap::FilterTap(std::shared_ptr<qm::OpenClaimFile> file)
    : file_(std::move(file)) {
}

FilterTap::~FilterTap() {
    // A job still waiting for the reading hears it will not go on.
    if (running_)
        running_->endReading(false);
}

std::shared_ptr<qm::PassListener> FilterTap::listenerForRun() {
    if (running_)
        running_->endReading(false);
    running_ = std::make_shared<qm::FilterListener>(file_->layouts());
    return running_;
}

void FilterTap::runEnded(bool finished) {
    // The listener has said so when the reading reached its end; a run
    // stopped before its reading began says it here.
    if (running_)
        running_->endReading(finished);
    running_.reset();
}

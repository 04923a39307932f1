#pragma once

#include "gui/document/PassTap.h"

#include <memory>

namespace qm {
struct FileStatistics;
class StatisticsGatherer;
} // namespace qm

// The file's statistics, gathered by the whole-file check's reading: the
// figures of the run that finished; none while a run goes or after a cancel.
class StatisticsTap : public PassTap {
public:
    StatisticsTap();
    ~StatisticsTap() override;

    std::shared_ptr<qm::PassListener> listenerForRun() override;
    void runEnded(bool finished) override;

    // Null until a run has finished.
    const std::shared_ptr<const qm::FileStatistics>& statistics() const { return statistics_; }

private:
    std::shared_ptr<qm::StatisticsGatherer> running_;
    std::shared_ptr<const qm::FileStatistics> statistics_;
};

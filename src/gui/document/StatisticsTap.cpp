#include "gui/document/StatisticsTap.h"

#include "core/check/FileStatistics.h"
#include "core/check/StatisticsGatherer.h"
#include "gui/common/BackgroundRelease.h"

PassTap::~PassTap() = default;

StatisticsTap::StatisticsTap() = default;

StatisticsTap::~StatisticsTap() {
    BackgroundRelease::drop(std::move(running_));
    BackgroundRelease::drop(std::move(statistics_));
}

std::shared_ptr<qm::PassListener> StatisticsTap::listenerForRun() {
    // Each run gathers figures of its own: a cancelled one may still be writing.
    BackgroundRelease::drop(std::move(running_));
    BackgroundRelease::drop(std::move(statistics_));
    running_ =
        std::make_shared<qm::StatisticsGatherer>(qm::FileStatistics::kCountedOneByOne, nullptr);
    return running_;
}

void StatisticsTap::runEnded(bool finished) {
    if (finished && running_)
        statistics_ = std::make_shared<const qm::FileStatistics>(running_->takeFigures());
    BackgroundRelease::drop(std::move(running_));
}

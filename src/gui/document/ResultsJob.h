#pragma once

#include "core/common/Progress.h"
#include "gui/common/BackgroundWork.h"
#include "gui/document/WorkSeams.h"

#include <functional>
#include <memory>
#include <vector>

// One run over one of the engine's streaming results (the field search, the
// comparison; the claim list of a later day): the work is handed a function
// that takes each row the engine finds and the Progress to give the engine,
// and returns the engine's summary. The rows reach the GUI thread in file
// order, a slice at a time, in batches at most every RowBatches::kInterval;
// the GUI thread never waits for the worker. A run cancelled before it began
// to read ends at once, its summary saying so (Summary::cancelled).
template <typename Row, typename Summary>
class ResultsJob : public BackgroundWork<std::vector<Row>, Summary> {
    using Base = BackgroundWork<std::vector<Row>, Summary>;

public:
    using Add = std::function<void(Row&& row)>;
    using Work = std::function<Summary(const Add& add, const qm::Progress& progress)>;
    // The GUI thread takes this many rows at a time.
    static constexpr std::size_t kSlice = 256;

    // into gets the rows on the GUI thread; seams: the job's pause point (kind
    // names the job to it).
    ResultsJob(WorkSeams::Job kind, std::shared_ptr<const WorkSeams> seams,
               std::function<void(std::vector<Row>&& rows)> into, QObject* parent = nullptr)
        : Base(parent)
        , kind_(kind)
        , seams_(std::move(seams)) {
        this->setTakeInSlices(std::move(into), kSlice);
    }

    void run(Work work) {
        this->startWork([work = std::move(work), kind = kind_,
                         pause = seams_ ? seams_->pause : nullptr](typename Base::Reporter& run) {
            if (pause)
                pause(kind, [&run] { return run.cancelled(); });
            Summary summary{};
            if (run.cancelled()) {
                summary.cancelled = true;
                return summary;
            }
            // The engine's workers add rows while the thread that waits for
            // them tells the progress, and either may hand them on.
            RowBatches<Row, typename Base::Reporter> batches(run);
            qm::ProgressControl& control = run.control();
            const qm::Progress progress = [&](std::int64_t done, std::int64_t total) {
                control.bytesTotal = total;
                control.bytesDone = done;
                batches.handOn(false);
                return !run.cancelled();
            };
            summary = work([&batches](Row&& row) { batches.add(std::move(row)); }, progress);
            batches.handOn(true);
            return summary;
        });
    }

    // What the run said, cancelled also when it was cancelled from here.
    Summary ending() const {
        Summary summary = this->summary();
        summary.cancelled = summary.cancelled || this->wasCancelled();
        return summary;
    }

private:
    WorkSeams::Job kind_;
    std::shared_ptr<const WorkSeams> seams_;
};

#include "gui/document/ClaimFilterJob.h"

#include "core/filter/ClaimFilter.h"
#include "core/filter/FilteredCheck.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/rules/RuleSet.h"
#include "gui/common/BackgroundWork.h"
#include "gui/document/ClaimDocument.h"

#include <QCoreApplication>
#include <chrono>

namespace {

// Rows go to the GUI thread in batches this big, or older than this.
constexpr std::size_t kBatchRows = 4096;
constexpr auto kBatchInterval = std::chrono::milliseconds(100);

} // namespace

ClaimFilterJob::ClaimFilterJob(ClaimDocument& document, QObject* parent)
    : QObject(parent)
    , document_(&document)
    , work_(new Work(this)) {
    // A batch at a time: the views take a whole batch in a step, a few
    // thousand rows.
    work_->setTake(
        [this](FilteredClaims& rows, std::size_t& at) {
            emit rowsArrived(rows);
            at = rows.size();
        },
        [](const FilteredClaims& rows) { return rows.size(); });
    connect(work_, &BackgroundWorkBase::workProgressed, this, &ClaimFilterJob::progressed);
    connect(work_, &BackgroundWorkBase::workEnded, this, &ClaimFilterJob::ended);
    // The document's file goes with the document: so does this run.
    connect(&document, &ClaimDocument::closing, this, &ClaimFilterJob::cancel);
}

ClaimFilterJob::~ClaimFilterJob() = default;

void ClaimFilterJob::start(std::shared_ptr<const qm::ClaimFilter> filter, bool rows) {
    auto reader = std::make_shared<qm::SequentialFile>();
    if (!document_ || document_->isClosed() || !document_->file().layouts() ||
        !reader->openSame(document_->file().file())) {
        // Nothing to read: the run before, if any, ends as cancelled, and says so.
        if (work_->isRunning())
            work_->cancelWork();
        else
            emit ended();
        return;
    }
    work_->startWork([reader = std::move(reader), layouts = document_->file().layouts(),
                      tree = document_->tree(), filter = std::move(filter),
                      rows](Work::Reporter& run) {
        using Clock = std::chrono::steady_clock;
        Clock::time_point handedOn = Clock::now();
        FilteredClaims batch;
        auto handOn = [&] {
            handedOn = Clock::now();
            if (!batch.rows.empty())
                run.deliver(std::exchange(batch, FilteredClaims()));
        };
        qm::FilteredCheck::Options options;
        options.filter = filter.get();
        options.listRows = rows;
        options.onClaim = [&](const qm::ClaimListRow& row, bool matched) {
            if (!matched)
                return;
            const std::optional<std::int64_t> node =
                tree ? tree->findNode("CA0", row.position) : std::nullopt;
            batch.add(row, node ? *node : -1);
            if (batch.size() >= kBatchRows)
                handOn();
        };
        qm::FileCheck::Options passOptions;
        // The format's integrity edits, as the whole-file check weighs claims by.
        passOptions.rules = qm::RuleSet::integrity(layouts);
        qm::ProgressControl& control = run.control();
        passOptions.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            if (Clock::now() - handedOn >= kBatchInterval)
                handOn();
            return !run.cancelled();
        };
        const qm::FilteredCheck::Result result =
            qm::FilteredCheck::claims(*reader, layouts, passOptions, options);
        handOn();
        return Summary{result.matched, result.file.claims, result.file.fileChanged};
    });
}

void ClaimFilterJob::cancel() {
    work_->cancelWork();
}

bool ClaimFilterJob::isRunning() const {
    return work_->isRunning();
}

bool ClaimFilterJob::wasCancelled() const {
    return work_->wasCancelled();
}

int ClaimFilterJob::percent() const {
    return work_->percent();
}

const ClaimFilterJob::Summary& ClaimFilterJob::summary() const {
    return work_->summary();
}

void ClaimFilterJob::waitForFinished() {
    while (work_->isRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

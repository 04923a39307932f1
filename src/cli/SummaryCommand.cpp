#include "SummaryCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/check/FileCheck.h"
#include "core/check/FileStatistics.h"
#include "core/check/StatisticsGatherer.h"
#include "core/report/SummaryBatchRows.h"
#include "core/report/SummaryReport.h"

namespace qm::cli {

namespace {

// The check's rows are counted into the figures; nothing else is wanted of them.
class Figures : public FileCheck::Consumer {
public:
    void batch(const FileCheck::Batch&) override {}
    void claim(const FileCheck::Claim&) override {}
    void trailer(const FileCheck::Trailer&) override {}
    void problem(const ProblemRow&) override {}
};

} // namespace

int SummaryCommand::run(ClaimFile& file, bool json, int jobs, std::ostream& out,
                        std::ostream& err) {
    FileCheck::Options options;
    options.jobs = jobs;
    options.rules = file.rules();
    Figures figures;
    FileStatistics statistics;
    // Every batch is written as it is done with; only the report's order keeps it.
    SummaryBatchRows batches(json);
    const FileCheck::Summary summary = StatisticsGatherer::check(
        file.file(), file.layouts(), options, figures, statistics, &batches);
    if (!SummaryReport::write(out, statistics, json, &batches)) {
        err << "quillmark-cli: cannot write the output: the batches kept for it could not be "
               "read back\n";
        return kExitError;
    }
    // Figures of a file that changed while it was read are of neither file.
    if (summary.fileChanged) {
        err << "quillmark-cli: the file changed while it was read: these figures may be of "
               "neither the old file nor the new\n";
        return kExitNotChecked;
    }
    return kExitOk;
}

} // namespace qm::cli

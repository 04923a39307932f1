#include "CheckCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "FilterOption.h"
#include "core/check/FileCheck.h"
#include "core/filter/FilteredCheck.h"
#include "core/report/CheckReport.h"

namespace qm::cli {

int CheckCommand::run(ClaimFile& file, bool json, bool problemsOnly, const std::string& filter,
                      int jobs, bool strict, std::ostream& out, std::ostream& err) {
    std::optional<ClaimFilter> compiled;
    if (!filter.empty() && !(compiled = FilterOption::compile(file, filter, err)))
        return kExitError;
    CheckReport report(out, json, problemsOnly, file.layouts());
    report.noteRules(file.rules());
    FileCheck::Options options;
    options.jobs = jobs;
    options.rules = file.rules();
    FileCheck::Summary summary;
    if (compiled) {
        // Only the claims that match, with their problems; the file's and
        // the batches' own problems stay, and the summary counts what is shown.
        FilteredCheck::Options filtered;
        filtered.filter = &*compiled;
        filtered.next = &report;
        const FilteredCheck::Result result =
            FilteredCheck::run(file.file(), file.layouts(), options, filtered);
        summary = result.shown;
        report.noteFilter(filter, result.file.claims);
    } else {
        summary = FileCheck::run(file.file(), file.layouts(), options, report);
    }
    if (!report.finish(summary)) {
        err << "quillmark-cli: cannot write the output: the problem rows kept for it could not "
               "be read back\n";
        return kExitError;
    }
    // A file that changed while it was read gives no verdict either way.
    if (summary.fileChanged)
        return kExitNotChecked;
    if (summary.failed || (strict && summary.warnings + summary.notes > 0))
        return kExitChecksFailed;
    return summary.notChecked ? kExitNotChecked : kExitOk;
}

} // namespace qm::cli

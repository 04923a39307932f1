#include "ListCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "FilterOption.h"
#include "core/filter/ClaimListReport.h"
#include "core/filter/FilteredCheck.h"

namespace qm::cli {

int ListCommand::run(ClaimFile& file, Format format, const std::string& filter, int jobs,
                     std::ostream& out, std::ostream& err) {
    std::optional<ClaimFilter> compiled;
    if (!filter.empty() && !(compiled = FilterOption::compile(file, filter, err)))
        return kExitError;
    ClaimListReport report(out,
                           format == Format::Json  ? ClaimListReport::Format::Json
                           : format == Format::Csv ? ClaimListReport::Format::Csv
                                                   : ClaimListReport::Format::Text,
                           file.layouts());
    FilteredCheck::Options options;
    options.filter = compiled ? &*compiled : nullptr;
    options.listRows = true;
    options.onClaim = [&report](const ClaimListRow& row, bool matched) {
        if (matched)
            report.row(row);
    };
    FileCheck::Options passOptions;
    passOptions.jobs = jobs;
    passOptions.rules = file.rules();
    const FilteredCheck::Result result =
        FilteredCheck::claims(file.file(), file.layouts(), passOptions, options);
    report.finish(result.matched, result.file.claims, filter);
    if (result.file.fileChanged) {
        err << "quillmark-cli: the file changed while it was read: list it again\n";
        return kExitNotChecked;
    }
    return result.matched ? kExitOk : kExitNothingFound;
}

} // namespace qm::cli

#include "CheckCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/check/FileCheck.h"
#include "core/report/CheckReport.h"

namespace qm::cli {

int CheckCommand::run(ClaimFile& file, bool json, int jobs, std::ostream& out) {
    CheckReport report(out, json, file.layouts());
    FileCheck::Options options;
    options.jobs = jobs;
    const FileCheck::Summary summary =
        FileCheck::run(file.file(), file.layouts(), options,
                       [&report](ClaimVerdict&& verdict) { report.add(verdict); });
    report.finish(summary);
    if (summary.totalsFailed || summary.withInvalid)
        return kExitChecksFailed;
    return summary.uncertain ? kExitNotChecked : kExitOk;
}

} // namespace qm::cli

#include "CheckCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/check/FileCheck.h"
#include "core/report/CheckReport.h"

namespace qm::cli {

int CheckCommand::run(ClaimFile& file, bool json, bool problemsOnly, int jobs, std::ostream& out,
                      std::ostream& err) {
    CheckReport report(out, json, problemsOnly, file.layouts());
    FileCheck::Options options;
    options.jobs = jobs;
    const FileCheck::Summary summary = FileCheck::run(file.file(), file.layouts(), options, report);
    if (!report.finish(summary)) {
        err << "quillmark-cli: cannot write the output: the problem rows kept for it could not "
               "be read back\n";
        return kExitError;
    }
    // A file that changed while it was read gives no verdict either way.
    if (summary.fileChanged)
        return kExitNotChecked;
    if (summary.failed)
        return kExitChecksFailed;
    return summary.notChecked ? kExitNotChecked : kExitOk;
}

} // namespace qm::cli

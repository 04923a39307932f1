#include "SearchCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/search/FieldSearch.h"
#include "core/search/SearchPlan.h"
#include "core/search/SearchReport.h"

namespace qm::cli {

int SearchCommand::run(ClaimFile& file, const SearchQuery& query, bool json, int jobs,
                       std::ostream& out, std::ostream& err) {
    const auto& layouts = file.layouts();
    SearchPlan plan;
    std::string error;
    if (!plan.prepare(query, layouts, error)) {
        err << "quillmark-cli: " << error << '\n';
        return kExitError;
    }
    SearchReport report(out, json, layouts);
    FieldSearch::Options options;
    options.jobs = jobs;
    const FieldSearch::Summary summary = FieldSearch::run(
        file.file(), layouts, plan, options, [&report](ClaimHits&& claim) { report.add(claim); });
    report.finish(summary);
    return summary.fieldsMatched ? kExitOk : kExitNothingFound;
}

} // namespace qm::cli

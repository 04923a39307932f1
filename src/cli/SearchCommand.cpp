#include "SearchCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/search/FieldSearch.h"
#include "core/search/SearchPlan.h"
#include "core/search/SearchReport.h"

namespace qm::cli {

int SearchCommand::run(ClaimFile& file, const SearchQuery& query, bool json, int jobs,
                       std::int64_t maxHits, std::ostream& out, std::ostream& err) {
    const auto& layouts = file.layouts();
    SearchPlan plan;
    std::string error;
    if (!plan.prepare(query, layouts, error)) {
        err << "quillmark-cli: " << error << '\n';
        return kExitError;
    }
    // A map without fields leaves nothing to match: the search still reads
    // the claims. A version without a map has been noted when the file opened.
    if (plan.empty() && file.result().knownVersion)
        err << "quillmark-cli: note: the map of this file has no fields; no value can match\n";
    // Over every field a number compares only with fields of its own kind.
    if (query.mode == SearchQuery::Mode::Number && query.field.empty() && !plan.empty())
        err << "quillmark-cli: note: comparing with fields of " << plan.comparedIn() << " only\n";
    SearchReport report(out, json, layouts);
    FieldSearch::Options options;
    options.jobs = jobs;
    options.maxFields = maxHits;
    const FieldSearch::Summary summary = FieldSearch::run(
        file.file(), layouts, plan, options, [&report](ClaimHits&& claim) { report.add(claim); });
    report.finish(summary);
    // What was found in a file that changed while it was read may be in neither file.
    if (summary.fileChanged)
        return kExitNotChecked;
    return summary.fieldsMatched ? kExitOk : kExitNothingFound;
}

} // namespace qm::cli

#pragma once

#include "core/check/FileCheck.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/report/BlockOutput.h"
#include "core/report/ProblemSpool.h"

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qm {

class ClaimListJson;
class JsonWriter;

// The whole-file check written out as it comes, in file order, as text or as
// one JSON document: {"claims": [...], "problems": [...], "summary": {...}}.
// The text gives every claim with its totals verdict, every batch with its
// trailer's, the file's trailer, and under each its problem rows; JSON
// gives the claims as objects and every row once more in one flat list,
// worded as every front end words it. With problemsOnly only what has a
// problem is written (and the summary).
class CheckReport : public FileCheck::Consumer {
public:
    CheckReport(std::ostream& out, bool json, bool problemsOnly,
                std::shared_ptr<const LayoutCatalogue> layouts);
    ~CheckReport() override;

    void batch(const FileCheck::Batch& batch) override;
    void claim(const FileCheck::Claim& claim) override;
    void trailer(const FileCheck::Trailer& trailer) override;
    void problem(const ProblemRow& row) override;
    // The claims were those a filter chose (the expression, as typed), of
    // claimsInFile: the summary says so.
    void noteFilter(std::string expression, std::int64_t claimsInFile);
    // The rules the check weighed claims by: the summary counts each one's
    // rows and claims.
    void noteRules(std::shared_ptr<const RuleCatalogue> rules);
    // Threads to put the JSON's problem rows into words after the check,
    // 0 for one per core, as the check's own jobs.
    void noteJobs(int jobs) { jobs_ = jobs; }
    // The summary; false when the problem rows kept for the JSON could not
    // be read back.
    bool finish(const FileCheck::Summary& summary);

private:
    void jsonClaim(const FileCheck::Claim& claim);
    // What follows a claim's text in its object when its three lists are
    // empty: the members its verdict fixes, made once for each.
    const std::string& claimTail(const FileCheck::Claim& claim);
    // A row in the flat list (JSON), or under what it belongs to (text).
    void row(const ProblemRow& row);
    void appendRow(std::string& line, const ProblemRow& row) const;
    // A row of the JSON's flat list, kept until the claims are written.
    void keepRow(const ProblemRow& row);
    // A rule's row counted for its rule.
    void countRule(const ProblemRow& row);
    void jsonRules(JsonWriter& json) const;
    void textRules() const;

    std::ostream& out_;
    bool problemsOnly_;
    std::unique_ptr<ClaimListJson> json_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
    // The JSON's problem rows, kept as they come and written after the
    // claims: each its Problem, where its batch and claim are, and its value.
    ProblemSpool problems_;
    // Where rows are: the current batch and the last claim, by index.
    std::int64_t batch_ = -1;
    std::int64_t batchPosition_ = 0;
    std::int64_t claim_ = -1;
    std::int64_t claimPosition_ = 0;
    // The text report, written in blocks.
    BlockOutput text_;
    // The totals verdict's line, with the line end before and after it, for
    // every TotalsState (but totals that do not compute, which name their
    // fields).
    std::array<std::string, std::size_t(TotalsState::CouldNotCheck) + 1> totalsLines_;
    // The row lines of the kinds worded alike for every row (wordsFixed).
    std::array<std::string, Problem::kKindCount> fixedRows_;
    std::array<std::string, (std::size_t(TotalsState::CouldNotCheck) + 1) * 4> claimTails_;
    std::string filter_; // the filter that chose the claims; empty: none
    std::int64_t claimsInFile_ = 0;
    int jobs_ = 1;
    // Each rule's rows and claims, by its index.
    struct RuleCount {
        std::int64_t rows = 0;
        std::int64_t claims = 0;
        std::int64_t lastClaim = -1;
    };
    std::shared_ptr<const RuleCatalogue> rules_;
    std::vector<RuleCount> ruleCounts_;
};

} // namespace qm

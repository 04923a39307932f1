#pragma once

#include "core/check/FileCheck.h"
#include "core/filter/ClaimListRow.h"
#include "core/filter/FilterChunk.h"
#include "core/filter/FilterChunkPool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qm {

class ClaimFilter;

// The whole-file check with a claim filter and the claim list read along in
// its one pass: one reading of the file feeds the check, the filter (which
// may ask for the problems the check finds in each claim) and the claim
// list's rows. What the check finds goes on as FileCheck gives it, but the
// claims that do not match (their rows with them); the file's and the
// batches' own problems stay.
class FilteredCheck : public FileCheck::Companion, private FileCheck::Consumer {
public:
    struct Options {
        const ClaimFilter* filter = nullptr; // none: every claim matches
        bool listRows = false;               // word the claim list's rows of the claims that match
        // run(): gets the check's findings but the claims that do not match; may be null.
        FileCheck::Consumer* next = nullptr;
        // Every claim in file order, matching or not, with its row (its
        // texts and figures only when listRows and it matches; its index,
        // key and batch always, its problems unless claims() left it out
        // unjudged); on the calling thread.
        std::function<void(const ClaimListRow& row, bool matched)> onClaim;
    };

    struct Result {
        FileCheck::Summary file;  // of the whole file
        FileCheck::Summary shown; // of what went on to next: the claims that match
        std::int64_t matched = 0;
    };

    static Result run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                      const FileCheck::Options& checkOptions, const Options& options);

    // The claims alone, for a claim list or a filtered tree: each claim that
    // matches gets its problems from the check's own visitor as in run(),
    // but the file's structure and trailers are not weighed (the lines
    // between claims cost nothing), and a claim the filter leaves out
    // without asking for its problems is not judged. The summaries count
    // the claims, and the shown claims' problems, only.
    static Result claims(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                         const FileCheck::Options& passOptions, const Options& options);

private:
    FilteredCheck(const Options& options, const LayoutCatalogue& layouts, bool claimsAlone);

    void begin(std::size_t chunkCount) override;
    std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                          std::unique_ptr<CheckVisitor> check) override;
    void take(std::size_t chunk) override;

    void batch(const FileCheck::Batch& batch) override;
    void claim(const FileCheck::Claim& claim) override;
    void trailer(const FileCheck::Trailer& trailer) override;
    void problem(const ProblemRow& row) override;
    void note(const FileCheck::Rows& rows);
    void note(const ProblemRow& row);
    // Hands on the next claim of the chunk taken last, and tells whether it matched.
    bool handOn(std::int64_t index);

    const Options& options_;
    const LayoutCatalogue& layouts_;
    const bool claimsAlone_;
    std::vector<FilterChunk> chunks_;
    FilterChunkPool pool_;
    FilterChunk current_;       // the chunk being handed on
    std::size_t next_ = 0;      // its claim to hand on next
    FileCheck::Summary hidden_; // what the claims that do not match add to the summary
    bool failed_ = false;       // a row that went on says something is wrong (an error)
    bool notChecked_ = false;   // ... or could not be checked
    std::int64_t errors_ = 0;   // the rows that went on, by severity
    std::int64_t warnings_ = 0;
    std::int64_t notes_ = 0;
    std::int64_t matched_ = 0;
};

} // namespace qm

#pragma once

#include "core/check/ClaimVisitor.h"
#include "core/filter/ClaimListMaker.h"
#include "core/filter/FilterChunk.h"
#include "core/filter/FilterChunkPool.h"
#include "core/filter/FilterEvaluator.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class CheckVisitor;
class ClaimFilter;
class LayoutCatalogue;

// One worker's part of a filtered check: every call goes on to the whole-
// file check's visitor of the same worker, and at each claim's end, with
// the kinds of problem the check found for it, the filter's verdict and the
// claim list's row are kept by chunk (in buffers taken from pool) until the
// chunk is handed on.
class FilterVisitor : public ClaimVisitor {
public:
    // filter: none for every claim; listRows: gather the claim list's rows
    // of the claims that match; claimsAlone: the check's findings serve
    // only the claims that match (no whole-file check walks them), so a
    // claim the filter leaves out without asking for its problems is not
    // judged at all.
    FilterVisitor(const ClaimFilter* filter, bool listRows, bool claimsAlone,
                  const LayoutCatalogue& layouts, std::unique_ptr<CheckVisitor> check,
                  std::vector<FilterChunk>& chunks, FilterChunkPool& pool);
    // Reading along with the whole-file check (a pass listener): `heard` is
    // the check's visitor of the same worker, called before this one; every
    // claim is judged by it, and nothing goes on to it.
    FilterVisitor(const ClaimFilter* filter, bool listRows, const LayoutCatalogue& layouts,
                  const CheckVisitor& heard, std::vector<FilterChunk>& chunks,
                  FilterChunkPool& pool);
    ~FilterVisitor() override;

    void beginChunk(std::size_t chunk) override;
    void endChunk() override;
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void endClaim(const PassClaim& claim) override;
    void line(std::string_view line, std::int64_t lineStart) override;

private:
    // A record of the current claim kept for the check until the verdict.
    struct Held {
        std::size_t node;
        int typeIndex;
        int occurrence;
        std::size_t at; // its line in heldLines_
        std::size_t length;
    };

    std::unique_ptr<CheckVisitor> check_; // null when reading along
    const CheckVisitor* heard_ = nullptr; // the check's visitor: check_, or the one read along with
    std::vector<FilterChunk>& chunks_;
    FilterChunkPool& pool_;
    FilterChunk* chunk_ = nullptr;
    const bool claimsAlone_;
    const int ba0_;
    std::optional<FilterEvaluator> evaluator_;
    std::optional<ClaimListMaker> rows_;
    // The check weighs a claim's records only once the filter has let the
    // claim in (claims alone, a filter that asks no problems): most claims
    // of a narrow filter cost the reading alone.
    bool verdictFirst_ = false;
    std::vector<Held> held_;
    std::string heldLines_;
};

} // namespace qm

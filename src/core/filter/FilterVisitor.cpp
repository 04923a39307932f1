#include "core/filter/FilterVisitor.h"

#include "core/check/CheckVisitor.h"

namespace qm {

FilterVisitor::FilterVisitor(const ClaimFilter* filter, bool listRows, bool claimsAlone,
                             const LayoutCatalogue& layouts, std::unique_ptr<CheckVisitor> check,
                             std::vector<FilterChunk>& chunks, FilterChunkPool& pool)
    : check_(std::move(check))
    , heard_(check_.get())
    , chunks_(chunks)
    , pool_(pool)
    , claimsAlone_(claimsAlone)
    , ba0_(recordTypeIndex("BA0")) {
    if (filter)
        evaluator_.emplace(*filter, layouts);
    if (listRows)
        rows_.emplace(layouts);
    verdictFirst_ = check_ && claimsAlone_ && evaluator_ && !evaluator_->usesProblems();
}

FilterVisitor::FilterVisitor(const ClaimFilter* filter, bool listRows,
                             const LayoutCatalogue& layouts, const CheckVisitor& heard,
                             std::vector<FilterChunk>& chunks, FilterChunkPool& pool)
    : heard_(&heard)
    , chunks_(chunks)
    , pool_(pool)
    , claimsAlone_(false)
    , ba0_(recordTypeIndex("BA0")) {
    if (filter)
        evaluator_.emplace(*filter, layouts);
    if (listRows)
        rows_.emplace(layouts);
}

FilterVisitor::~FilterVisitor() = default;

void FilterVisitor::beginChunk(std::size_t chunk) {
    if (check_)
        check_->beginChunk(chunk);
    // A chunk cancelled inside a claim leaves its records unweighed.
    held_.clear();
    heldLines_.clear();
    chunks_[chunk] = pool_.take();
    chunk_ = &chunks_[chunk];
    // A chunk of megabytes holds thousands of claims: no growing one by one.
    chunk_->claims.reserve(4096);
    if (evaluator_)
        evaluator_->reset();
    if (rows_)
        rows_->reset();
}

void FilterVisitor::endChunk() {
    if (check_)
        check_->endChunk();
}

void FilterVisitor::record(std::size_t node, int typeIndex, int occurrence, std::string_view line) {
    if (verdictFirst_) {
        // The line is the reader's only until the next is read.
        held_.push_back({node, typeIndex, occurrence, heldLines_.size(), line.size()});
        heldLines_.append(line);
    } else if (check_) {
        check_->record(node, typeIndex, occurrence, line);
    }
    if (evaluator_)
        evaluator_->record(node, typeIndex, occurrence, line);
    if (rows_)
        rows_->record(typeIndex, occurrence, line);
}

void FilterVisitor::endClaim(const PassClaim& claim) {
    FilterChunk::Claim entry;
    entry.position = claim.position;
    if (!check_) {
        // The check has judged the claim already.
        entry.matched = !evaluator_ || evaluator_->finish(claim, heard_->kindsOfLastClaim());
    } else if (verdictFirst_) {
        // The verdict first: a claim left out is not worth judging.
        entry.matched = evaluator_->finish(claim, 0);
        if (entry.matched) {
            for (const Held& record : held_)
                check_->record(record.node, record.typeIndex, record.occurrence,
                               std::string_view(heldLines_).substr(record.at, record.length));
            check_->endClaim(claim);
        } else {
            check_->forgetClaim();
        }
        held_.clear();
        heldLines_.clear();
    } else {
        check_->endClaim(claim);
        entry.matched = !evaluator_ || evaluator_->finish(claim, check_->kindsOfLastClaim());
    }
    entry.problems = std::int32_t(heard_->rowsOfLastClaim()); // none when forgotten
    for (const SharedRecord& shown : *claim.above)
        if (shown.typeIndex == ba0_)
            entry.batchPosition = shown.at;
    // A row is worded only for a claim that is listed.
    if (rows_ && entry.matched) {
        entry.row = std::int32_t(chunk_->rows.size());
        rows_->finish(claim, *chunk_, chunk_->rows.emplace_back());
    } else if (rows_) {
        rows_->forget();
    }
    chunk_->claims.push_back(entry);
}

void FilterVisitor::line(std::string_view line, std::int64_t lineStart) {
    if (check_)
        check_->line(line, lineStart);
}

} // namespace qm

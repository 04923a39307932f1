#include "core/filter/FilterVisitor.h"

#include "core/check/CheckVisitor.h"

namespace qm {

FilterVisitor::FilterVisitor(const ClaimFilter* filter, bool listRows,
                             const LayoutCatalogue& layouts, std::unique_ptr<CheckVisitor> check,
                             std::vector<FilterChunk>& chunks)
    : check_(std::move(check))
    , chunks_(chunks) {
    if (filter)
        evaluator_.emplace(*filter, layouts);
    if (listRows)
        rows_.emplace(layouts);
}

FilterVisitor::~FilterVisitor() = default;

void FilterVisitor::beginChunk(std::size_t chunk) {
    check_->beginChunk(chunk);
    chunk_ = &chunks_[chunk];
    chunk_->clear();
    if (evaluator_)
        evaluator_->reset();
    if (rows_)
        rows_->reset();
}

void FilterVisitor::endChunk() {
    check_->endChunk();
}

void FilterVisitor::record(std::size_t node, int typeIndex, int occurrence, std::string_view line) {
    check_->record(node, typeIndex, occurrence, line);
    if (evaluator_)
        evaluator_->record(node, typeIndex, occurrence, line);
    if (rows_)
        rows_->record(typeIndex, occurrence, line);
}

void FilterVisitor::endClaim(const PassClaim& claim) {
    check_->endClaim(claim);
    FilterChunk::Claim entry;
    entry.matched = !evaluator_ || evaluator_->finish(claim, check_->kindsOfLastClaim());
    if (rows_)
        rows_->finish(claim, *chunk_, entry);
    chunk_->claims.push_back(entry);
}

void FilterVisitor::line(std::string_view line, std::int64_t lineStart) {
    check_->line(line, lineStart);
}

} // namespace qm

#include "core/filter/FilteredCheck.h"

#include "core/check/CheckVisitor.h"
#include "core/check/ChunkFindingsPool.h"
#include "core/filter/FilterVisitor.h"

#include <cassert>

namespace qm {

FilteredCheck::FilteredCheck(const Options& options, const LayoutCatalogue& layouts,
                             bool claimsAlone)
    : options_(options)
    , layouts_(layouts)
    , claimsAlone_(claimsAlone) {
}

FilteredCheck::Result FilteredCheck::run(const SequentialFile& file,
                                         std::shared_ptr<const LayoutCatalogue> layouts,
                                         const FileCheck::Options& checkOptions,
                                         const Options& options) {
    FilteredCheck companion(options, *layouts, false);
    Result result;
    result.file = FileCheck::run(file, layouts, checkOptions, companion, {}, &companion);
    FileCheck::Summary& shown = result.shown;
    const FileCheck::Summary& hidden = companion.hidden_;
    shown = result.file;
    shown.claims -= hidden.claims;
    shown.totalsFailed -= hidden.totalsFailed;
    shown.withInvalid -= hidden.withInvalid;
    shown.withoutXa0 -= hidden.withoutXa0;
    shown.uncertain -= hidden.uncertain;
    shown.claimsWithProblems -= hidden.claimsWithProblems;
    shown.problems -= hidden.problems;
    shown.failed = companion.failed_;
    shown.notChecked = companion.notChecked_;
    shown.errors = companion.errors_;
    shown.warnings = companion.warnings_;
    shown.notes = companion.notes_;
    result.matched = companion.matched_;
    return result;
}

FilteredCheck::Result FilteredCheck::claims(const SequentialFile& file,
                                            std::shared_ptr<const LayoutCatalogue> layouts,
                                            const FileCheck::Options& passOptions,
                                            const Options& options) {
    ClaimPass::Options claimsOnly = passOptions;
    claimsOnly.everyLine = false;
    // Rules bound to other layouts would name fields this file does not have.
    const RuleCatalogue* rules = passOptions.rules && passOptions.rules->layouts() == layouts
                                     ? passOptions.rules.get()
                                     : nullptr;
    ClaimPass pass(file, layouts, claimsOnly);
    FilteredCheck companion(options, *layouts, true);
    companion.begin(pass.chunkCount());
    std::vector<ChunkFindings> findings(pass.chunkCount());
    ChunkFindingsPool findingsPool;
    Result result;
    const bool done = pass.run(
        [&]() {
            auto check = std::make_unique<CheckVisitor>(pass.rules(), findings, findingsPool);
            if (rules)
                check->setEditor(rules->editor());
            return companion.visitor(pass.rules(), std::move(check));
        },
        [&](std::size_t chunk) {
            // What the check found serves only through the claims' rows counted.
            findingsPool.give(std::move(findings[chunk]));
            companion.take(chunk);
            for (const FilterChunk::Claim& claim : companion.current_.claims) {
                if (!companion.handOn(result.file.claims++))
                    continue;
                result.shown.claimsWithProblems += claim.problems > 0 ? 1 : 0;
                result.shown.problems += claim.problems;
            }
        });
    result.matched = companion.matched_;
    result.shown.claims = result.matched;
    result.file.cancelled = result.shown.cancelled = !done;
    result.file.fileChanged = result.shown.fileChanged = pass.fileChanged();
    return result;
}

void FilteredCheck::begin(std::size_t chunkCount) {
    chunks_.resize(chunkCount);
}

std::unique_ptr<ClaimVisitor> FilteredCheck::visitor(const ClaimRules&,
                                                     std::unique_ptr<CheckVisitor> check) {
    return std::make_unique<FilterVisitor>(options_.filter, options_.listRows, claimsAlone_,
                                           layouts_, std::move(check), chunks_, pool_);
}

void FilteredCheck::take(std::size_t chunk) {
    // The chunk handed on before is done with; its memory serves a chunk to come.
    if (current_.claims.capacity() > 0)
        pool_.give(std::move(current_));
    current_ = std::move(chunks_[chunk]);
    next_ = 0;
}

bool FilteredCheck::handOn(std::int64_t index) {
    // The check hands on the claims of a chunk in the order its workers met them.
    assert(next_ < current_.claims.size());
    const FilterChunk::Claim found =
        next_ < current_.claims.size() ? current_.claims[next_++] : FilterChunk::Claim();
    matched_ += found.matched ? 1 : 0;
    if (!options_.onClaim)
        return found.matched;
    const ClaimListRow row = current_.listRow(found, index);
    options_.onClaim(row, found.matched);
    return found.matched;
}

void FilteredCheck::note(const ProblemRow& row) {
    if (Problem::meansNotChecked(row.problem.kind))
        notChecked_ = true;
    switch (row.problem.severity()) {
    case Problem::Severity::Error:
        failed_ = true;
        ++errors_;
        break;
    case Problem::Severity::Warning:
        ++warnings_;
        break;
    case Problem::Severity::Note:
        ++notes_;
        break;
    }
}

void FilteredCheck::note(const FileCheck::Rows& rows) {
    for (const ProblemRow& row : rows)
        note(row);
}

void FilteredCheck::batch(const FileCheck::Batch& batch) {
    if (options_.next)
        options_.next->batch(batch);
}

void FilteredCheck::claim(const FileCheck::Claim& claim) {
    if (handOn(claim.index)) {
        note(claim.rows);
        if (options_.next)
            options_.next->claim(claim);
        return;
    }
    // Counted as the check counts it, to be taken off its summary.
    bool invalid = false;
    for (const ProblemRow& row : claim.rows)
        invalid = invalid || row.problem.kind == Problem::Kind::InvalidValue;
    ++hidden_.claims;
    hidden_.totalsFailed += claim.totals == TotalsState::DoNotCompute ? 1 : 0;
    hidden_.withInvalid += invalid ? 1 : 0;
    hidden_.withoutXa0 += claim.totals == TotalsState::NoTrailer ? 1 : 0;
    hidden_.uncertain += claim.unreadable || claim.totals == TotalsState::CouldNotCheck ? 1 : 0;
    hidden_.claimsWithProblems += claim.rows.empty() ? 0 : 1;
    hidden_.problems += std::int64_t(claim.rows.size());
}

void FilteredCheck::trailer(const FileCheck::Trailer& trailer) {
    note(trailer.rows);
    if (options_.next)
        options_.next->trailer(trailer);
}

void FilteredCheck::problem(const ProblemRow& row) {
    note(row);
    if (options_.next)
        options_.next->problem(row);
}

} // namespace qm

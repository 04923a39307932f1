#include "core/check/StatisticsGatherer.h"

#include "core/check/StatisticsVisitor.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace qm {

StatisticsGatherer::StatisticsGatherer(FileCheck::Consumer& next, std::size_t chunkCount)
    : next_(next)
    , chunks_(chunkCount) {
}

std::unique_ptr<ClaimVisitor> StatisticsGatherer::visitor(const ClaimRules& rules,
                                                          std::unique_ptr<ClaimVisitor> check) {
    return std::make_unique<StatisticsVisitor>(rules, std::move(check), chunks_);
}

void StatisticsGatherer::take(std::size_t chunk) {
    // Moved out, and gone with it.
    const ChunkStatistics found = std::move(chunks_[chunk]);
    FileStatistics& f = figures_;
    f.batches += found.batches;
    f.claims += found.claims;
    f.serviceLines += found.serviceLines;
    f.records += found.records;
    f.charges += found.charges;
    f.claimsWithoutDate += found.claimsWithoutDate;
    f.claimsWithoutCharges += found.claimsWithoutCharges;
    for (std::size_t bin = 0; bin < f.chargeBins.size(); ++bin)
        f.chargeBins[bin] += found.chargeBins[bin];
    for (const auto& [month, claims] : found.months) {
        auto at = std::lower_bound(
            f.months.begin(), f.months.end(), month,
            [](const FileStatistics::Month& m, int key) { return m.year * 100 + m.month < key; });
        if (at == f.months.end() || at->year * 100 + at->month != month)
            at = f.months.insert(at, {month / 100, month % 100, 0});
        at->claims += claims;
    }
    for (const auto& [code, tally] : found.procedures) {
        auto at = procedures_.find(code);
        if (at == procedures_.end()) {
            if (procedures_.size() >= FileStatistics::kMaxProcedureCodes) {
                f.linesOfUncountedCodes += tally.serviceLines;
                continue;
            }
            at = procedures_.emplace(code, ChunkStatistics::Procedure()).first;
        }
        at->second.serviceLines += tally.serviceLines;
        at->second.charges += tally.charges;
    }
    for (const ChunkStatistics::Part& part : found.parts) {
        if (part.position >= 0) {
            FileStatistics::Batch batch;
            batch.index = std::int64_t(f.perBatch.size());
            batch.position = part.position;
            batch.text = part.text;
            f.perBatch.push_back(std::move(batch));
            batchOpen_ = true;
        }
        if (!batchOpen_)
            continue;
        FileStatistics::Batch& batch = f.perBatch.back();
        batch.claims += part.claims;
        batch.serviceLines += part.serviceLines;
        batch.records += part.records;
        batch.charges += part.charges;
        if (part.closed)
            batchOpen_ = false;
    }
}

FileStatistics StatisticsGatherer::finish() {
    FileStatistics f = std::move(figures_);
    for (FileStatistics::Batch& batch : f.perBatch)
        if (std::size_t(batch.index) < batchProblems_.size())
            batch.problems = batchProblems_[std::size_t(batch.index)];

    // A provider is named as its batches' nodes name it, without the record type.
    const std::string_view glue = "BA0: ";
    std::unordered_map<std::string_view, std::size_t> providerAt;
    for (const FileStatistics::Batch& batch : f.perBatch) {
        std::string_view name = batch.text;
        if (name.substr(0, glue.size()) == glue)
            name.remove_prefix(glue.size());
        const auto [at, added] = providerAt.emplace(name, f.providers.size());
        if (added)
            f.providers.push_back({std::string(name), 0, 0, 0});
        FileStatistics::Provider& provider = f.providers[at->second];
        ++provider.batches;
        provider.claims += batch.claims;
        provider.charges += batch.charges;
    }
    std::stable_sort(f.providers.begin(), f.providers.end(),
                     [](const FileStatistics::Provider& a, const FileStatistics::Provider& b) {
                         return a.charges > b.charges;
                     });

    std::vector<FileStatistics::Procedure> all;
    all.reserve(procedures_.size());
    for (const auto& [code, tally] : procedures_)
        all.push_back({StatisticsVisitor::unpackCode(code), tally.serviceLines, tally.charges});
    f.procedureCodes = std::int64_t(all.size());
    // Ties go to the code first in order, so that the lists never depend on
    // the order the chunks met the codes in.
    auto top = [&all](auto more) {
        const std::size_t n = std::min(all.size(), FileStatistics::kTopProcedures);
        std::partial_sort(
            all.begin(), all.begin() + std::ptrdiff_t(n), all.end(),
            [&more](const FileStatistics::Procedure& a, const FileStatistics::Procedure& b) {
                const std::int64_t x = more(a), y = more(b);
                return x != y ? x > y : a.code < b.code;
            });
        return std::vector<FileStatistics::Procedure>(all.begin(), all.begin() + std::ptrdiff_t(n));
    };
    f.topByLines = top([](const FileStatistics::Procedure& p) { return p.serviceLines; });
    f.topByCharges = top([](const FileStatistics::Procedure& p) { return p.charges; });
    return f;
}

void StatisticsGatherer::count(const Problem& problem) {
    ++figures_.problems;
    ++figures_.problemsByKind[std::size_t(problem.kind)];
    if (problem.batch < 0)
        return;
    const auto batch = std::size_t(problem.batch);
    if (batch >= batchProblems_.size())
        batchProblems_.resize(batch + 1);
    ++batchProblems_[batch];
}

void StatisticsGatherer::count(const FileCheck::Rows& rows) {
    for (const ProblemRow& row : rows)
        count(row.problem);
}

void StatisticsGatherer::batch(const FileCheck::Batch& batch) {
    next_.batch(batch);
}

void StatisticsGatherer::claim(const FileCheck::Claim& claim) {
    count(claim.rows);
    next_.claim(claim);
}

void StatisticsGatherer::trailer(const FileCheck::Trailer& trailer) {
    count(trailer.rows);
    next_.trailer(trailer);
}

void StatisticsGatherer::problem(const ProblemRow& row) {
    count(row.problem);
    next_.problem(row);
}

} // namespace qm

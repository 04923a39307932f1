#include "core/check/StatisticsGatherer.h"

#include "core/check/StatisticsVisitor.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

// Whether batch a ranks before b: more stated charges, or as many and earlier.
bool ranksBefore(const FileStatistics::Batch& a, const FileStatistics::Batch& b) {
    if (a.money.charges > b.money.charges)
        return true;
    if (b.money.charges > a.money.charges)
        return false;
    return a.index < b.index;
}

} // namespace

StatisticsGatherer::StatisticsGatherer(std::size_t limit, FileStatistics::BatchSink* eachBatch)
    : limit_(std::max<std::size_t>(limit, 1))
    , eachBatch_(eachBatch)
    , procedures_(limit_) {
}

void StatisticsGatherer::begin(std::size_t chunkCount) {
    chunks_.resize(chunkCount);
}

std::unique_ptr<ClaimVisitor> StatisticsGatherer::visitor(const ClaimRules& rules,
                                                          const CheckVisitor&) {
    return std::make_unique<StatisticsVisitor>(rules, chunks_);
}

void StatisticsGatherer::chunkDone(std::size_t chunk) {
    // Moved out, and gone with it.
    const ChunkStatistics found = std::move(chunks_[chunk]);
    FileStatistics& f = figures_;
    f.batches += found.batches;
    f.claims += found.claims;
    f.serviceLines += found.serviceLines;
    f.records += found.records;
    f.money.add(found.money);
    f.claimsWithoutDate += found.claimsWithoutDate;
    f.claimsWithoutCharges += found.claimsWithoutCharges;
    for (std::size_t bin = 0; bin < f.chargeBins.size(); ++bin)
        f.chargeBins[bin] += found.chargeBins[bin];
    for (const auto& [month, claims] : found.months)
        months_[month] += claims;
    procedures_.add(found.procedures);
    takeParts(found);
}

void StatisticsGatherer::takeParts(const ChunkStatistics& found) {
    for (const ChunkStatistics::Part& part : found.parts) {
        if (part.position >= 0) {
            batchDone();
            batch_ = FileStatistics::Batch();
            batch_.index = batchesBegun_++;
            batch_.position = part.position;
            batch_.text = part.text;
            batchOpen_ = true;
        }
        if (batchOpen_) {
            batch_.claims += part.claims;
            batch_.serviceLines += part.serviceLines;
            batch_.records += part.records;
            batch_.money.add(part.money);
        }
        if (part.closed)
            batchOpen_ = false;
        if (part.fileTrailer) {
            // As the check has it: the file's first ZA0 ends the batch open.
            if (!fileTrailerSeen_)
                batchOpen_ = false;
            fileTrailerSeen_ = true;
        }
    }
}

void StatisticsGatherer::batchDone() {
    if (batchesBegun_ == 0)
        return;
    // The check has told every row of the batch: those of its claims, of
    // claims listed under it after its end, and of its trailer.
    const auto problems = batchProblems_.find(batch_.index);
    if (problems != batchProblems_.end()) {
        batch_.problems = problems->second;
        batchProblems_.erase(problems);
    }
    addToProvider(batch_);
    if (eachBatch_)
        eachBatch_->batch(batch_);
    keep(std::move(batch_));
    batch_ = FileStatistics::Batch();
}

void StatisticsGatherer::keep(FileStatistics::Batch&& batch) {
    // kept_ is a heap whose front ranks last of those kept.
    if (kept_.size() < FileStatistics::kBatchesKept) {
        kept_.push_back(std::move(batch));
        std::push_heap(kept_.begin(), kept_.end(), ranksBefore);
    } else if (ranksBefore(batch, kept_.front())) {
        std::pop_heap(kept_.begin(), kept_.end(), ranksBefore);
        kept_.back() = std::move(batch);
        std::push_heap(kept_.begin(), kept_.end(), ranksBefore);
    }
}

void StatisticsGatherer::addToProvider(const FileStatistics::Batch& batch) {
    // A provider is named as its batches' nodes name it, without the record type.
    const std::string_view glue = "BA0: ";
    std::string_view name = batch.text;
    if (name.substr(0, glue.size()) == glue)
        name.remove_prefix(glue.size());
    FileStatistics::Provider* provider = &figures_.otherProviders;
    const auto at = providerAt_.find(name);
    if (at != providerAt_.end()) {
        provider = &providers_[at->second];
    } else if (providers_.size() < limit_) {
        providers_.emplace_back();
        provider = &providers_.back();
        provider->text = std::string(name);
        provider->firstPosition = batch.position;
        providerAt_.emplace(provider->text, providers_.size() - 1);
    }
    ++provider->batches;
    provider->claims += batch.claims;
    provider->money.add(batch.money);
}

bool StatisticsGatherer::end(bool done, const SequentialFile& file, const LayoutCatalogue& layouts,
                             const Progress& progress) {
    // The top procedure codes may need a second reading of the file.
    const bool counted =
        !done || !procedures_.needsRecount() || procedures_.recount(file, layouts, progress);
    finished_ = finish();
    return counted;
}

FileStatistics StatisticsGatherer::finish() {
    batchDone();
    FileStatistics f = std::move(figures_);
    f.perBatch = std::move(kept_);
    std::sort(f.perBatch.begin(), f.perBatch.end(),
              [](const FileStatistics::Batch& a, const FileStatistics::Batch& b) {
                  return a.index < b.index;
              });
    providerAt_.clear();
    f.providers.assign(std::make_move_iterator(providers_.begin()),
                       std::make_move_iterator(providers_.end()));
    providers_.clear();
    std::stable_sort(f.providers.begin(), f.providers.end(),
                     [](const FileStatistics::Provider& a, const FileStatistics::Provider& b) {
                         return a.money.charges > b.money.charges;
                     });
    for (const auto& [month, claims] : months_)
        f.months.push_back({month / 100, month % 100, claims});
    months_.clear();
    procedures_.finish(f);
    return f;
}

void StatisticsGatherer::count(const Problem& problem) {
    ++figures_.problems;
    ++figures_.problemsByKind[std::size_t(problem.kind)];
    if (problem.batch >= 0)
        ++batchProblems_[problem.batch];
}

void StatisticsGatherer::count(const FileCheck::Rows& rows) {
    for (const ProblemRow& row : rows)
        count(row.problem);
}

void StatisticsGatherer::batch(const FileCheck::Batch&) {
}

void StatisticsGatherer::claim(const FileCheck::Claim& claim) {
    count(claim.rows);
}

void StatisticsGatherer::trailer(const FileCheck::Trailer& trailer) {
    count(trailer.rows);
}

void StatisticsGatherer::problem(const ProblemRow& row) {
    count(row.problem);
}

FileCheck::Summary StatisticsGatherer::check(
    const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
    const FileCheck::Options& options, FileCheck::Consumer& consumer, FileStatistics& statistics,
    FileStatistics::BatchSink* eachBatch, std::size_t limit) {
    StatisticsGatherer gatherer(limit, eachBatch);
    const FileCheck::Summary summary =
        FileCheck::run(file, std::move(layouts), options, consumer, {&gatherer});
    statistics = gatherer.takeFigures();
    return summary;
}

} // namespace qm

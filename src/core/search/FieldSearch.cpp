#include "core/search/FieldSearch.h"

#include "core/check/SharedResults.h"
#include "core/claim/RecordSplitter.h"
#include "core/search/SearchPlan.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

// What one chunk yields: its claims with matching fields, and how many it searched.
struct ChunkHits {
    std::vector<ClaimHits> claims;
    std::int64_t searched = 0;
};

// One worker's part of the search, with a plan of its own.
class SearchVisitor : public ClaimVisitor {
public:
    SearchVisitor(const SearchPlan& plan, std::vector<ChunkHits>& out)
        : plan_(plan)
        , out_(out) {}

    void beginChunk(std::size_t chunk) override { chunk_ = chunk; }

    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override {
        if (node < nodes_) {
            // A record taking an earlier one's place: its values replace that one's.
            pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                          [&](const Pending& p) { return p.node == node; }),
                           pending_.end());
            reordered_ = true;
        } else {
            nodes_ = node + 1;
        }
        scratch_.clear();
        plan_.match(typeIndex, line, scratch_);
        for (FieldHit& hit : scratch_)
            pending_.push_back({node, occurrence, std::move(hit)});
    }

    void endClaim(const PassClaim& claim) override {
        ChunkHits& out = out_[chunk_];
        ++out.searched;
        ClaimHits hits;
        addShared(*claim.above, hits.fields);
        if (reordered_)
            std::stable_sort(pending_.begin(), pending_.end(),
                             [](const Pending& a, const Pending& b) { return a.node < b.node; });
        for (Pending& p : pending_) {
            p.hit.node = claim.records->nodeKey({p.hit.typeIndex, p.occurrence});
            hits.fields.push_back(std::move(p.hit));
        }
        addShared(*claim.below, hits.fields);
        pending_.clear();
        nodes_ = 0;
        reordered_ = false;
        if (hits.fields.empty())
            return;
        hits.position = claim.position;
        hits.text.assign(claim.text);
        out.claims.push_back(std::move(hits));
    }

private:
    struct Pending {
        std::size_t node;
        int occurrence;
        FieldHit hit;
    };

    // The matching fields of records many claims show.
    void addShared(const std::vector<SharedRecord>& records, std::vector<FieldHit>& out) {
        shared_.append(records, out, [this](const SharedRecord& record, auto& hits) {
            plan_.match(record.typeIndex, record.line, hits);
            for (FieldHit& hit : hits)
                hit.node.assign(record.key);
        });
    }

    SearchPlan plan_;
    std::vector<ChunkHits>& out_;
    std::size_t chunk_ = 0;
    std::vector<Pending> pending_; // the current claim's own matches
    std::size_t nodes_ = 0;        // nodes the current claim has so far
    bool reordered_ = false;
    std::vector<FieldHit> scratch_;
    SharedResults<FieldHit> shared_;
};

} // namespace

FieldSearch::Summary FieldSearch::run(const SequentialFile& file,
                                      std::shared_ptr<const LayoutCatalogue> layouts,
                                      const SearchPlan& plan, const Options& options,
                                      const std::function<void(ClaimHits&&)>& onClaim) {
    Summary summary;
    ClaimPass::Options passOptions = options;
    // Reaching the limit stops the pass as a cancel would.
    passOptions.progress = [&](std::int64_t done, std::int64_t total) {
        return !summary.limited && (!options.progress || options.progress(done, total));
    };
    ClaimPass pass(file, std::move(layouts), passOptions);
    std::vector<ChunkHits> hits(pass.chunkCount());
    const bool done =
        pass.run([&] { return std::make_unique<SearchVisitor>(plan, hits); },
                 [&](std::size_t chunk) {
                     ChunkHits found = std::move(hits[chunk]);
                     hits[chunk] = {};
                     if (summary.limited)
                         return;
                     summary.claims += found.searched;
                     for (ClaimHits& claim : found.claims) {
                         ++summary.claimsMatched;
                         summary.fieldsMatched += std::int64_t(claim.fields.size());
                         onClaim(std::move(claim));
                         if (options.maxFields > 0 && summary.fieldsMatched >= options.maxFields) {
                             summary.limited = true;
                             return;
                         }
                     }
                 });
    summary.cancelled = !done && !summary.limited;
    return summary;
}

} // namespace qm

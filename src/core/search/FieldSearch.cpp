#include "core/search/FieldSearch.h"

#include "core/check/SharedResults.h"
#include "core/claim/RecordSplitter.h"
#include "core/filetree/NodeText.h"
#include "core/search/SearchPlan.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

namespace qm {

namespace {

// The bytes a claim's hits take, near enough.
std::size_t bytesOf(const ClaimHits& claim) {
    std::size_t bytes = sizeof claim + claim.text.capacity() + claim.patientName.capacity() +
                        claim.controlNumber.capacity();
    for (const FieldHit& hit : claim.fields)
        bytes += sizeof hit + hit.value.capacity() + hit.node.capacity();
    return bytes;
}

// Hands the claims found on in file order as they are found. The chunk whose
// claims go out now (the head) hands on its own at once, from its worker;
// the others keep theirs until their turn, and a worker whose chunk keeps
// too many waits for it. One thread at a time hands claims on.
class OrderedHits {
public:
    OrderedHits(const FieldSearch::Options& options,
                const std::function<void(ClaimHits&&)>& onClaim, FieldSearch::Summary& summary)
        : maxFields_(options.maxFields)
        , waitingBytes_(options.waitingBytes)
        , onClaim_(onClaim)
        , summary_(summary) {}

    // A claim of chunk `chunk`, found with the chunk's first `searched` claims.
    void add(std::size_t chunk, ClaimHits&& claim, std::int64_t searched) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stopped_)
            return;
        Chunk& waiting = chunks_[chunk];
        waiting.bytes += bytesOf(claim);
        waiting.claims.push_back({std::move(claim), searched});
        if (chunk != head_) {
            if (waiting.bytes <= waitingBytes_)
                return;
            turn_.wait(lock, [&] { return stopped_ || head_ == chunk; });
            if (stopped_)
                return;
        }
        std::vector<Waiting> ready = std::move(waiting.claims);
        waiting = Chunk();
        lock.unlock();
        handOn(ready);
    }

    // Chunk `chunk`, of `searched` claims, has been read (the calling thread,
    // chunks in order): what it kept goes out, and the next chunk's turn comes.
    void chunkDone(std::size_t chunk, std::int64_t searched) {
        std::unique_lock<std::mutex> lock(mutex_);
        std::vector<Waiting> ready = std::move(chunks_[chunk].claims);
        chunks_.erase(chunk);
        lock.unlock();
        handOn(ready);
        lock.lock();
        if (!stopped_) {
            claimsBefore_ += searched;
            summary_.claims = claimsBefore_;
        }
        head_ = chunk + 1;
        turn_.notify_all();
    }

    // No claim goes out any more (the limit was reached, or the search was
    // cancelled); workers waiting for their turn go on.
    void stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        turn_.notify_all();
    }
    bool stopped() const { return stopped_; }

private:
    struct Waiting {
        ClaimHits claim;
        std::int64_t searched;
    };
    struct Chunk {
        std::vector<Waiting> claims;
        std::size_t bytes = 0;
    };

    // Outside the lock: only the head's worker, or the calling thread once
    // the head has been read, hands claims on.
    void handOn(std::vector<Waiting>& claims) {
        for (Waiting& waiting : claims) {
            if (stopped_)
                return;
            summary_.claims = claimsBefore_ + waiting.searched;
            ++summary_.claimsMatched;
            summary_.fieldsMatched += std::int64_t(waiting.claim.fields.size());
            onClaim_(std::move(waiting.claim));
            if (maxFields_ > 0 && summary_.fieldsMatched >= maxFields_) {
                summary_.limited = true;
                stop();
                return;
            }
        }
    }

    const std::int64_t maxFields_;
    const std::size_t waitingBytes_;
    const std::function<void(ClaimHits&&)>& onClaim_;
    FieldSearch::Summary& summary_;
    std::mutex mutex_; // guards what follows
    std::condition_variable turn_;
    std::size_t head_ = 0;
    std::map<std::size_t, Chunk> chunks_; // the claims waiting, by chunk
    std::atomic<bool> stopped_{false};
    std::int64_t claimsBefore_ = 0; // claims searched in the chunks before the head
};

// One worker's part of the search, with a plan of its own.
class SearchVisitor : public ClaimVisitor {
public:
    SearchVisitor(const SearchPlan& plan, OrderedHits& out, std::vector<std::int64_t>& searched)
        : plan_(plan)
        , out_(out)
        , searched_(searched) {}

    void beginChunk(std::size_t chunk) override {
        chunk_ = chunk;
        searchedInChunk_ = 0;
    }
    // Counted here and told once: workers counting side by side in one
    // vector took a tenth of the search in cache misses.
    void endChunk() override { searched_[chunk_] = searchedInChunk_; }

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
        // The claim's own CA0 comes first: its patient names the claim, read
        // from it only for a claim with hits.
        if (node == 0)
            ca0_.assign(line);
        scratch_.clear();
        plan_.match(typeIndex, line, scratch_);
        for (FieldHit& hit : scratch_)
            pending_.push_back({node, occurrence, std::move(hit)});
    }

    void endClaim(const PassClaim& claim) override {
        const std::int64_t searched = ++searchedInChunk_;
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
        const NodeText::Fields ca0 = NodeText::fieldsOf('C', ca0_);
        hits.patientName = NodeText::patientName(ca0.field[0], ca0.field[1]);
        hits.controlNumber.assign(ca0.field[2]);
        out_.add(chunk_, std::move(hits), searched);
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
    OrderedHits& out_;
    std::vector<std::int64_t>& searched_; // claims searched, by chunk
    std::size_t chunk_ = 0;
    std::int64_t searchedInChunk_ = 0;
    std::vector<Pending> pending_; // the current claim's own matches
    std::size_t nodes_ = 0;        // nodes the current claim has so far
    bool reordered_ = false;
    std::vector<FieldHit> scratch_;
    std::string ca0_; // the current claim's CA0 record
    SharedResults<FieldHit> shared_;
};

} // namespace

FieldSearch::Summary FieldSearch::run(const SequentialFile& file,
                                      std::shared_ptr<const LayoutCatalogue> layouts,
                                      const SearchPlan& plan, const Options& options,
                                      const std::function<void(ClaimHits&&)>& onClaim) {
    Summary summary;
    OrderedHits ordered(options, onClaim, summary);
    ClaimPass::Options passOptions = options;
    // Reaching the limit stops the pass as a cancel would.
    passOptions.progress = [&](std::int64_t done, std::int64_t total) {
        if (!ordered.stopped() && (!options.progress || options.progress(done, total)))
            return true;
        ordered.stop();
        return false;
    };
    ClaimPass pass(file, std::move(layouts), passOptions);
    std::vector<std::int64_t> searched(pass.chunkCount());
    const bool done =
        pass.run([&] { return std::make_unique<SearchVisitor>(plan, ordered, searched); },
                 [&](std::size_t chunk) { ordered.chunkDone(chunk, searched[chunk]); });
    summary.cancelled = !done && !summary.limited;
    // As the check does: a file that changed under the search gives no answer.
    if (!summary.cancelled && pass.fileChanged()) {
        summary.fileChanged = true;
        if (done)
            summary.notRead = std::max<std::int64_t>(0, pass.claimsFound() - summary.claims);
    }
    return summary;
}

} // namespace qm

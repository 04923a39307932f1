#include "core/filter/FilterListener.h"

#include "core/filter/FilterVisitor.h"

#include <algorithm>

namespace qm {

// One worker's visitor: for each chunk it begins, a FilterVisitor of each
// filter that reads that chunk.
class FilterListener::Visitor : public ClaimVisitor {
public:
    Visitor(FilterListener& owner, const CheckVisitor& check)
        : owner_(owner)
        , check_(check) {}

    void beginChunk(std::size_t chunk) override {
        reading_.clear();
        for (std::shared_ptr<Joined>& joined : owner_.readersOf(chunk)) {
            FilterVisitor& visitor = visitorOf(std::move(joined));
            visitor.beginChunk(chunk);
            reading_.push_back(&visitor);
        }
    }
    void endChunk() override {
        for (FilterVisitor* visitor : reading_)
            visitor->endChunk();
    }
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override {
        for (FilterVisitor* visitor : reading_)
            visitor->record(node, typeIndex, occurrence, line);
    }
    void endClaim(const PassClaim& claim) override {
        for (FilterVisitor* visitor : reading_)
            visitor->endClaim(claim);
    }

private:
    FilterVisitor& visitorOf(std::shared_ptr<Joined> joined) {
        for (Reader& reader : readers_)
            if (reader.joined == joined)
                return *reader.visitor;
        const Subscriber& subscriber = *joined->subscriber;
        auto visitor =
            std::make_unique<FilterVisitor>(subscriber.filter.get(), subscriber.listRows,
                                            *owner_.layouts_, check_, joined->chunks, joined->pool);
        readers_.push_back(Reader{std::move(joined), std::move(visitor)});
        return *readers_.back().visitor;
    }

    struct Reader {
        std::shared_ptr<Joined> joined; // kept while its visitor writes to it
        std::unique_ptr<FilterVisitor> visitor;
    };
    FilterListener& owner_;
    const CheckVisitor& check_;
    std::vector<Reader> readers_;
    std::vector<FilterVisitor*> reading_; // those of the chunk begun last
};

FilterListener::FilterListener(std::shared_ptr<const LayoutCatalogue> layouts)
    : layouts_(std::move(layouts)) {
}

FilterListener::~FilterListener() = default;

std::int64_t FilterListener::join(std::shared_ptr<Subscriber> subscriber) {
    std::lock_guard<std::mutex> handing(handingOn_);
    std::lock_guard<std::mutex> lock(mutex_);
    if (ended_)
        return -1;
    auto joined = std::make_shared<Joined>();
    joined->subscriber = std::move(subscriber);
    joined->firstChunk = begun_;
    joined->chunks.resize(chunkCount_);
    joined_.push_back(joined);
    return std::int64_t(begun_);
}

void FilterListener::leave(const Subscriber& subscriber) {
    std::lock_guard<std::mutex> handing(handingOn_);
    std::lock_guard<std::mutex> lock(mutex_);
    joined_.erase(std::remove_if(joined_.begin(), joined_.end(),
                                 [&](const std::shared_ptr<Joined>& joined) {
                                     return joined->subscriber.get() == &subscriber;
                                 }),
                  joined_.end());
}

void FilterListener::endReading(bool done) {
    std::vector<std::shared_ptr<Joined>> told;
    {
        std::lock_guard<std::mutex> handing(handingOn_);
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
        told.swap(joined_);
        for (const std::shared_ptr<Joined>& joined : told)
            if (joined->subscriber->onEnd)
                joined->subscriber->onEnd(done);
    }
}

void FilterListener::begin(std::size_t chunkCount) {
    std::lock_guard<std::mutex> lock(mutex_);
    chunkCount_ = chunkCount;
    for (const std::shared_ptr<Joined>& joined : joined_)
        joined->chunks.resize(chunkCount);
}

std::unique_ptr<ClaimVisitor> FilterListener::visitor(const ClaimRules&,
                                                      const CheckVisitor& check) {
    return std::make_unique<Visitor>(*this, check);
}

std::vector<std::shared_ptr<FilterListener::Joined>> FilterListener::readersOf(std::size_t chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Chunks begin in order: a filter joining now reads from the next.
    begun_ = std::max(begun_, chunk + 1);
    std::vector<std::shared_ptr<Joined>> readers;
    for (const std::shared_ptr<Joined>& joined : joined_)
        if (joined->firstChunk <= chunk)
            readers.push_back(joined);
    return readers;
}

void FilterListener::chunkDone(std::size_t chunk) {
    // Held while handing on: a subscriber that left hears nothing more.
    std::lock_guard<std::mutex> handing(handingOn_);
    std::vector<std::shared_ptr<Joined>> readers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const std::shared_ptr<Joined>& joined : joined_)
            if (joined->firstChunk <= chunk)
                readers.push_back(joined);
    }
    for (const std::shared_ptr<Joined>& joined : readers) {
        FilterChunk found = std::move(joined->chunks[chunk]);
        const Subscriber& subscriber = *joined->subscriber;
        for (const FilterChunk::Claim& claim : found.claims)
            if (subscriber.onClaim)
                subscriber.onClaim(found.listRow(claim, joined->handedOn++), claim.matched);
        found.clear();
        joined->pool.give(std::move(found));
    }
}

bool FilterListener::end(bool done, const SequentialFile&, const LayoutCatalogue&,
                         const Progress&) {
    endReading(done);
    return true;
}

} // namespace qm

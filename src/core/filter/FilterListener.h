#pragma once

#include "core/check/PassListener.h"
#include "core/filter/ClaimListRow.h"
#include "core/filter/FilterChunk.h"
#include "core/filter/FilterChunkPool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace qm {

class ClaimFilter;

// Claim filters read along with the whole-file check: a filter (with the
// claim list's rows, when asked) joins the check's reading as it goes, from
// the first chunk no worker has begun yet, and is judged on the check's own
// workers, with the problems the check found in each claim. Its claims are
// handed on in file order on the check's calling thread; a filter that
// joined late has the claims of the chunks before its first to read itself.
class FilterListener : public PassListener {
public:
    struct Subscriber {
        std::shared_ptr<const ClaimFilter> filter; // null: every claim matches
        bool listRows = false;
        // Every claim from the first chunk on, matched or not, as FilteredCheck
        // hands them on; on the check's calling thread.
        std::function<void(const ClaimListRow& row, bool matched)> onClaim;
        // Once: the reading ended, the file read to its end (done) or not.
        std::function<void(bool done)> onEnd;
    };

    explicit FilterListener(std::shared_ptr<const LayoutCatalogue> layouts);
    ~FilterListener() override;

    // Any thread: reads along from the first chunk no worker has begun, and
    // returns it (the chunk count when every chunk has begun); -1 once the
    // reading has ended, the subscriber not taken.
    std::int64_t join(std::shared_ptr<Subscriber> subscriber);
    // Any thread: nothing more goes to the subscriber once this returns.
    void leave(const Subscriber& subscriber);
    // Tells every subscriber not told yet that the reading ended (done or not);
    // for a reading that stopped before it could say so itself.
    void endReading(bool done);

    void begin(std::size_t chunkCount) override;
    std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                          const CheckVisitor& check) override;
    void chunkDone(std::size_t chunk) override;
    bool end(bool done, const SequentialFile& file, const LayoutCatalogue& layouts,
             const Progress& progress) override;

private:
    class Visitor;
    struct Joined {
        std::shared_ptr<Subscriber> subscriber;
        std::size_t firstChunk = 0;
        std::vector<FilterChunk> chunks;
        FilterChunkPool pool;
        std::int64_t handedOn = 0; // claims handed on so far
    };

    // A worker begins chunk: the filters that read it.
    std::vector<std::shared_ptr<Joined>> readersOf(std::size_t chunk);

    std::shared_ptr<const LayoutCatalogue> layouts_;
    std::mutex handingOn_; // held while claims are handed on (taken before mutex_)
    std::mutex mutex_;
    std::vector<std::shared_ptr<Joined>> joined_;
    std::size_t chunkCount_ = 0;
    std::size_t begun_ = 0; // chunks a worker has begun (they begin in order)
    bool ended_ = false;
};

} // namespace qm

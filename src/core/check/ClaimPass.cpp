#include "core/check/ClaimPass.h"

#include "core/check/ChunkPlan.h"
#include "core/check/ChunkReader.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace qm {

struct ClaimPass::Impl {
    Impl(const SequentialFile& f, std::shared_ptr<const LayoutCatalogue> layouts, Options o)
        : file(f)
        , options(std::move(o))
        , rules(std::move(layouts))
        , plan(f, options.chunkBytes)
        , identityAtStart(f.identity()) {}

    const SequentialFile& file;
    Options options;
    ClaimRules rules;
    ChunkPlan plan;
    std::string identityAtStart;
    std::string identityAtEnd;
    int jobs = 1;
};

ClaimPass::ClaimPass(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     Options options)
    : impl_(std::make_unique<Impl>(file, std::move(layouts), std::move(options))) {
    const int jobs =
        impl_->options.jobs > 0 ? impl_->options.jobs : int(std::thread::hardware_concurrency());
    impl_->jobs = std::max(1, std::min(jobs, int(impl_->plan.chunks().size())));
}

ClaimPass::~ClaimPass() = default;

const ClaimRules& ClaimPass::rules() const {
    return impl_->rules;
}

std::size_t ClaimPass::chunkCount() const {
    return impl_->plan.chunks().size();
}

std::int64_t ClaimPass::initialSize() const {
    return impl_->plan.initialSize();
}

std::int64_t ClaimPass::claimsFound() const {
    return impl_->plan.claims();
}

bool ClaimPass::fileChanged() const {
    // The identity holds the size and the modification time.
    return impl_->identityAtEnd != impl_->identityAtStart;
}

// What the workers of a pass and the thread that waits for them share.
struct ClaimPass::Sync {
    Sync(const Options& o, std::int64_t all)
        : options(o)
        , total(all) {}

    // Waits until done() holds, reporting progress while it waits.
    template <typename Done> void waitFor(std::unique_lock<std::mutex>& lock, Done done) {
        while (!done()) {
            changed.wait_for(lock, std::chrono::milliseconds(50));
            if (options.progress && !cancel) {
                lock.unlock();
                const bool goOn = options.progress(bytesDone.load(), total);
                lock.lock();
                if (!goOn) {
                    cancel = true;
                    changed.notify_all();
                }
            }
        }
    }

    const Options& options;
    const std::int64_t total;
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> bytesDone{0};
};

bool ClaimPass::findFrames(const SequentialFile& file, ChunkPlan& plan, int jobs, Sync& sync) {
    std::vector<ChunkPlan::Chunk>& chunks = plan.chunks();
    std::atomic<std::size_t> next{0};
    int running = jobs;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            SequentialFile reader;
            reader.openSame(file);
            for (std::size_t i; !sync.cancel && (i = next++) < chunks.size();) {
                plan.findEvents(reader, i, sync.cancel);
                sync.bytesDone += plan.bytesOf(chunks[i]);
            }
            std::lock_guard<std::mutex> lock(sync.mutex);
            --running;
            sync.changed.notify_all();
        });
    {
        std::unique_lock<std::mutex> lock(sync.mutex);
        sync.waitFor(lock, [&] { return running == 0; });
    }
    for (std::thread& worker : workers)
        worker.join();
    return !sync.cancel;
}

bool ClaimPass::run(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
                    const std::function<void(std::size_t chunk)>& handOn) {
    Impl& d = *impl_;
    ChunkPlan& plan = d.plan;
    const bool indexUsable = d.options.index && d.options.index->describes(d.file);
    Sync sync(d.options, (indexUsable ? 1 : 2) * plan.initialSize());
    if (indexUsable) {
        plan.contextsFromIndex(*d.options.index);
    } else if (findFrames(d.file, plan, d.jobs, sync)) {
        plan.contextsFromEvents();
    } else {
        d.identityAtEnd = d.file.identity();
        return false;
    }
    readClaims(makeVisitor, handOn, sync);
    d.identityAtEnd = d.file.identity();
    if (d.options.progress && !sync.cancel)
        d.options.progress(sync.total, sync.total);
    return !sync.cancel;
}

void ClaimPass::readClaims(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
                           const std::function<void(std::size_t chunk)>& handOn, Sync& sync) {
    Impl& d = *impl_;
    ChunkPlan& plan = d.plan;
    std::vector<ChunkPlan::Chunk>& chunks = plan.chunks();
    // Second pass: the claims, chunk by chunk, handed on in order. Workers run
    // only a few chunks ahead of what has been handed on, so that results
    // waiting for their turn stay few.
    const ChunkReader::Settings settings{d.options.everyLine, d.options.beforeClaimRead};
    const std::size_t ahead = std::size_t(2 * d.jobs);
    std::size_t next = 0;
    std::size_t handedOn = 0;
    std::vector<std::thread> workers;
    for (int j = 0; j < d.jobs; ++j)
        workers.emplace_back([&] {
            const std::unique_ptr<ClaimVisitor> visitor = makeVisitor();
            ChunkReader reader(d.file, plan, d.rules, *visitor, settings);
            std::unique_lock<std::mutex> lock(sync.mutex);
            for (;;) {
                sync.changed.wait(lock, [&] {
                    return sync.cancel || next >= chunks.size() || next < handedOn + ahead;
                });
                if (sync.cancel || next >= chunks.size())
                    return;
                const std::size_t index = next++;
                lock.unlock();
                reader.read(index, sync.cancel);
                sync.bytesDone += plan.bytesOf(chunks[index]);
                lock.lock();
                chunks[index].read = true;
                sync.changed.notify_all();
            }
        });
    {
        std::unique_lock<std::mutex> lock(sync.mutex);
        while (handedOn < chunks.size() && !sync.cancel) {
            sync.waitFor(lock, [&] { return sync.cancel || chunks[handedOn].read; });
            if (sync.cancel)
                break;
            const std::size_t index = handedOn++;
            sync.changed.notify_all();
            lock.unlock();
            handOn(index);
            lock.lock();
        }
        sync.changed.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace qm

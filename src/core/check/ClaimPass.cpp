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

bool ClaimPass::run(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
                    const std::function<void(std::size_t chunk)>& handOn) {
    Impl& d = *impl_;
    ChunkPlan& plan = d.plan;
    std::vector<ChunkPlan::Chunk>& chunks = plan.chunks();
    const Options& options = d.options;
    const int jobs = d.jobs;
    const bool indexUsable = options.index && options.index->describes(d.file);

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> bytesDone{0};
    const std::int64_t total = (indexUsable ? 1 : 2) * plan.initialSize();
    // Waits until done() holds, reporting progress while it waits.
    auto waitFor = [&](std::unique_lock<std::mutex>& lock, auto done) {
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
    };
    auto noteTheEnd = [&d] {
        d.identityAtEnd = d.file.identity();
    };

    if (indexUsable) {
        plan.contextsFromIndex(*options.index);
    } else {
        // First pass: where the headers and trailers are, chunk by chunk.
        std::atomic<std::size_t> next{0};
        int running = jobs;
        std::vector<std::thread> workers;
        for (int j = 0; j < jobs; ++j)
            workers.emplace_back([&] {
                SequentialFile reader;
                reader.openSame(d.file);
                for (std::size_t i; !cancel && (i = next++) < chunks.size();) {
                    plan.findEvents(reader, i, cancel);
                    bytesDone += plan.bytesOf(chunks[i]);
                }
                std::lock_guard<std::mutex> lock(mutex);
                --running;
                changed.notify_all();
            });
        {
            std::unique_lock<std::mutex> lock(mutex);
            waitFor(lock, [&] { return running == 0; });
        }
        for (std::thread& worker : workers)
            worker.join();
        if (cancel) {
            noteTheEnd();
            return false;
        }
        plan.contextsFromEvents();
    }

    // Second pass: the claims, chunk by chunk, handed on in order. Workers run
    // only a few chunks ahead of what has been handed on, so that results
    // waiting for their turn stay few.
    const ChunkReader::Settings settings{options.everyLine, options.claimHookForTests};
    const std::size_t ahead = std::size_t(2 * jobs);
    std::size_t next = 0;
    std::size_t handedOn = 0;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            const std::unique_ptr<ClaimVisitor> visitor = makeVisitor();
            ChunkReader reader(d.file, plan, d.rules, *visitor, settings);
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                changed.wait(lock, [&] {
                    return cancel || next >= chunks.size() || next < handedOn + ahead;
                });
                if (cancel || next >= chunks.size())
                    return;
                const std::size_t index = next++;
                lock.unlock();
                reader.read(index, cancel);
                bytesDone += plan.bytesOf(chunks[index]);
                lock.lock();
                chunks[index].read = true;
                changed.notify_all();
            }
        });
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (handedOn < chunks.size() && !cancel) {
            waitFor(lock, [&] { return cancel || chunks[handedOn].read; });
            if (cancel)
                break;
            const std::size_t index = handedOn++;
            changed.notify_all();
            lock.unlock();
            handOn(index);
            lock.lock();
        }
        changed.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
    noteTheEnd();
    if (options.progress && !cancel)
        options.progress(total, total);
    return !cancel;
}

} // namespace qm

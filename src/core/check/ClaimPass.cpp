#include "core/check/ClaimPass.h"

#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimLoop.h"
#include "core/claim/RecordSplitter.h"
#include "core/common/RecordLine.h"
#include "core/filetree/HeaderIndex.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qm {

namespace {

// A file header, batch header or trailer record line, as the first pass finds them.
struct Event {
    char type;             // 'A', 'B', 'Y', 'Z'
    std::int64_t position; // of the record (after a dropped LF)
    std::int64_t lineStart;
};

// The file tree nodes a claim starting at a chunk's first byte hangs under.
struct Context {
    std::int64_t aa0 = -1;       // the current file header
    std::int64_t ba0 = -1;       // the current batch
    std::int64_t ba0Parent = -1; // the file header of that batch
};

struct Chunk {
    std::int64_t begin = 1;
    std::int64_t end = 1; // the next chunk's begin; the last runs to the end of the file
    std::vector<Event> events;
    Context context;
    bool read = false;
};

// How often a worker looks whether the pass was cancelled.
constexpr int kLinesBetweenCancelChecks = 4096;

// What every worker reads: the claim rules of the layouts, and where the trailers are.
struct Plan {
    explicit Plan(std::shared_ptr<const LayoutCatalogue> layouts)
        : rules(std::move(layouts)) {}

    const TrailerIndex& trailers() const { return index ? *index : found; }

    ClaimRules rules;
    // The tree's trailer index, or (without one) the trailers the first pass found.
    const TrailerIndex* index = nullptr;
    TrailerIndex found;
    std::int64_t initialSize = 0;
};

// First pass over one chunk: where the headers and trailers are.
void findEvents(SequentialFile& reader, Chunk& chunk, const std::atomic<bool>& cancel) {
    reader.seek(chunk.begin);
    std::string_view line;
    for (std::int64_t n = 0;; ++n) {
        if (n % kLinesBetweenCancelChecks == 0 && cancel.load(std::memory_order_relaxed))
            return;
        const std::int64_t lineStart = reader.position();
        if (lineStart >= chunk.end || !reader.readLineView(line))
            return;
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position) || line[1] != 'A' || line[2] != '0')
            continue;
        const char type = line[0];
        if (type == 'A' || type == 'B' || type == 'Y' || type == 'Z')
            chunk.events.push_back({type, position, lineStart});
    }
}

// Second pass over one chunk: every claim that begins in it, read to its end.
class ChunkReader {
public:
    ChunkReader(const SequentialFile& file, const Plan& plan, ClaimVisitor& visitor)
        : plan_(plan)
        , layouts_(plan.rules.layouts())
        , visitor_(visitor)
        , keys_(plan.rules) {
        lines_.openSame(file);
        records_.openSame(file);
    }

    void read(std::size_t index, Chunk& chunk, const std::atomic<bool>& cancel);

private:
    struct Claim {
        std::int64_t position = 0;
        std::string text;
        Context context;
        ClaimLoop loop;
        std::optional<RecordSplitter> splitter;
        // Node numbers by type and occurrence (0: none yet), and the entries set.
        std::array<std::uint16_t, kRecordTypeCount*(kMaxOccurrence + 1)> nodeOf{};
        std::vector<std::size_t> nodeSlots;
        std::string xa0; // the claim's own XA0 record
        bool hasXa0 = false;
    };

    void start(const Context& context, std::int64_t position, std::string_view record);
    void process(std::string_view record);
    void finish(std::int64_t after, bool endOfFile);
    // The records a claim shows above its own: file header, batch, BA1.
    const std::vector<SharedRecord>& above(const Context& context);
    // The trailers a claim shows below its own records.
    const std::vector<SharedRecord>& below(std::int64_t after);
    // The line at a record position, as a click's read of it gives it.
    bool readAt(std::int64_t position, std::string& line);

    const Plan& plan_;
    const LayoutCatalogue& layouts_;
    ClaimVisitor& visitor_;
    const RecordSplitter keys_; // node keys of the trailers: first of their type
    SequentialFile lines_;
    SequentialFile records_;
    Claim claim_;
    bool active_ = false;

    // The shared records of the last context and trailers asked for, with their lines.
    std::int64_t aboveOf_ = -2; // the batch they belong to
    std::array<std::string, 3> aboveLines_;
    std::vector<SharedRecord> above_;
    std::optional<std::int64_t> belowOf_[2];
    bool belowRead_ = false;
    std::array<std::string, 2> belowLines_;
    std::array<std::string, 2> belowKeys_;
    std::vector<SharedRecord> below_;
};

bool ChunkReader::readAt(std::int64_t position, std::string& line) {
    records_.seek(position);
    std::string_view view;
    if (!records_.readLineView(view))
        return false;
    line.assign(view);
    return true;
}

const std::vector<SharedRecord>& ChunkReader::above(const Context& context) {
    if (context.ba0 == aboveOf_)
        return above_;
    aboveOf_ = context.ba0;
    above_.clear();
    if (context.ba0 < 0)
        return above_;
    if (context.ba0Parent >= 0 && readAt(context.ba0Parent, aboveLines_[0]))
        above_.push_back({context.ba0Parent, recordTypeIndex("AA0"), "AA0", aboveLines_[0]});
    if (readAt(context.ba0, aboveLines_[1]))
        above_.push_back({context.ba0, recordTypeIndex("BA0"), "BA0", aboveLines_[1]});
    const std::int64_t at = BatchSecondLine::position(layouts_, context.ba0);
    if (readAt(at, aboveLines_[2]) && BatchSecondLine::isOne(layouts_, aboveLines_[2]))
        above_.push_back({at, recordTypeIndex("BA1"), "BA1", aboveLines_[2]});
    return above_;
}

const std::vector<SharedRecord>& ChunkReader::below(std::int64_t after) {
    const TrailerIndex::Below trailers = plan_.trailers().below(after);
    const std::optional<std::int64_t> at[2] = {trailers.batch, trailers.file};
    if (belowRead_ && at[0] == belowOf_[0] && at[1] == belowOf_[1])
        return below_;
    belowRead_ = true;
    below_.clear();
    static const char* const kTypes[2] = {"YA0", "ZA0"};
    for (int i = 0; i < 2; ++i) {
        belowOf_[i] = at[i];
        if (!at[i])
            continue;
        records_.seek(*at[i]);
        std::string_view line;
        if (!records_.readLineView(line) || !takeRecordLine(line))
            continue;
        belowLines_[i].assign(line);
        const int type = recordTypeIndex(kTypes[i]);
        // The first record of its type in the click: occurrence 1.
        belowKeys_[i] = keys_.nodeKey({type, 1});
        below_.push_back({*at[i], type, belowKeys_[i], belowLines_[i]});
    }
    return below_;
}

void ChunkReader::start(const Context& context, std::int64_t position, std::string_view record) {
    claim_.position = position;
    NodeText text;
    claim_.text.assign(text.make('C', record));
    claim_.context = context;
    claim_.loop = ClaimLoop();
    claim_.splitter.emplace(plan_.rules);
    for (const std::size_t slot : claim_.nodeSlots)
        claim_.nodeOf[slot] = 0;
    claim_.nodeSlots.clear();
    claim_.hasXa0 = false;
    active_ = true;
}

void ChunkReader::process(std::string_view record) {
    const std::string_view type = record.substr(0, 3);
    const RecordSplitter::Split split = claim_.splitter->split(record, type);
    if (!split.stored())
        return;
    // A second record of a type that does not repeat takes the first one's place.
    const std::size_t slot =
        std::size_t(split.typeIndex) * (kMaxOccurrence + 1) + std::size_t(split.occurrence);
    if (!claim_.nodeOf[slot]) {
        claim_.nodeSlots.push_back(slot);
        claim_.nodeOf[slot] = static_cast<std::uint16_t>(claim_.nodeSlots.size());
    }
    if (type == "XA0" && split.occurrence == 1) {
        claim_.xa0.assign(record);
        claim_.hasXa0 = true;
    }
    visitor_.record(claim_.nodeOf[slot] - 1u, split.typeIndex, split.occurrence, record);
}

void ChunkReader::finish(std::int64_t after, bool endOfFile) {
    active_ = false;
    static const std::vector<SharedRecord> kNone;
    const std::string_view xa0 = claim_.xa0;
    PassClaim claim;
    claim.position = claim_.position;
    claim.text = claim_.text;
    claim.records = &*claim_.splitter;
    claim.xa0 = claim_.hasXa0 ? &xa0 : nullptr;
    claim.above = &above(claim_.context);
    // A claim cut off by the end of the file shows no trailers.
    claim.below = endOfFile ? &kNone : &below(after);
    // A claim cut off by a file that shrank while it was read is no claim to judge.
    claim.cutShort = endOfFile && lines_.size() < plan_.initialSize;
    visitor_.endClaim(claim);
}

void ChunkReader::read(std::size_t index, Chunk& chunk, const std::atomic<bool>& cancel) {
    visitor_.beginChunk(index);
    Context context = chunk.context;
    lines_.seek(chunk.begin);
    std::string_view line;
    for (std::int64_t n = 0;; ++n) {
        if (n % kLinesBetweenCancelChecks == 0 && cancel.load(std::memory_order_relaxed))
            return;
        const std::int64_t lineStart = lines_.position();
        const bool inChunk = lineStart < chunk.end;
        if (!inChunk && !active_)
            return;
        if (!lines_.readLineView(line)) {
            if (active_)
                finish(lines_.position(), true);
            return;
        }
        if (active_) {
            std::string_view record = line;
            switch (claim_.loop.next(record, claim_.splitter->totals)) {
            case ClaimLoop::Step::NotARecord:
            case ClaimLoop::Step::Counted:
                break;
            case ClaimLoop::Step::Process:
                process(record);
                break;
            case ClaimLoop::Step::ProcessThenEnd:
                process(record);
                finish(lines_.position(), false);
                break;
            case ClaimLoop::Step::End:
                finish(lines_.position(), false);
                break;
            }
        }
        // Past its end a chunk only finishes the claim it began.
        if (!inChunk)
            continue;
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position))
            continue;
        const std::string_view type = line.substr(0, 3);
        if (type == "AA0") {
            context.aa0 = position;
        } else if (type == "BA0") {
            context.ba0 = position;
            context.ba0Parent = context.aa0;
        } else if (type == "CA0") {
            start(context, position, line);
            std::string_view record = line;
            claim_.loop.next(record, claim_.splitter->totals);
            process(record);
        }
    }
}

// Chunk boundaries: line starts near every chunkBytes of the file.
std::vector<Chunk> makeChunks(const SequentialFile& file, std::int64_t chunkBytes) {
    std::vector<Chunk> chunks(1);
    SequentialFile reader;
    const std::int64_t size = file.size();
    if (reader.openSame(file)) {
        std::string_view line;
        for (std::int64_t at = 1 + chunkBytes; at <= size; at += chunkBytes) {
            // Whatever line `at` falls in, the one after it begins a chunk.
            reader.seek(std::max(at, chunks.back().begin));
            if (!reader.readLineView(line) || reader.position() > size)
                break;
            const std::int64_t begin = reader.position();
            chunks.back().end = begin;
            chunks.emplace_back().begin = begin;
            at = std::max(at, begin - 1);
        }
    }
    chunks.back().end = INT64_MAX;
    return chunks;
}

} // namespace

struct ClaimPass::Impl {
    Impl(const SequentialFile& f, std::shared_ptr<const LayoutCatalogue> layouts, Options o)
        : file(f)
        , options(std::move(o))
        , plan(std::move(layouts)) {}

    // Bytes of the file a chunk covers.
    std::int64_t bytesOf(const Chunk& c) const {
        return std::min(c.end, plan.initialSize + 1) - c.begin;
    }
    // Every chunk's context from the events its first pass found.
    void contextsFromEvents();
    // The same from the file headers and batches of an index.
    void contextsFromIndex(const HeaderIndex& index);

    const SequentialFile& file;
    Options options;
    Plan plan;
    std::vector<Chunk> chunks;
    int jobs = 1;
};

void ClaimPass::Impl::contextsFromEvents() {
    Context context;
    for (Chunk& chunk : chunks) {
        chunk.context = context;
        for (const Event& event : chunk.events) {
            if (event.type == 'A') {
                context.aa0 = event.position;
            } else if (event.type == 'B') {
                context.ba0 = event.position;
                context.ba0Parent = context.aa0;
            } else {
                plan.found.add(event.type, event.lineStart);
            }
        }
        std::vector<Event>().swap(chunk.events);
    }
}

void ClaimPass::Impl::contextsFromIndex(const HeaderIndex& index) {
    // Records before a chunk's first line lie at positions before its begin.
    Context context;
    auto header = index.headers().begin();
    for (Chunk& chunk : chunks) {
        for (; header != index.headers().end() && header->position < chunk.begin; ++header) {
            if (header->type == 'A') {
                context.aa0 = header->position;
            } else {
                context.ba0 = header->position;
                context.ba0Parent = context.aa0;
            }
        }
        chunk.context = context;
    }
    plan.index = &index.trailers();
}

ClaimPass::ClaimPass(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     Options options)
    : impl_(std::make_unique<Impl>(file, std::move(layouts), std::move(options))) {
    impl_->plan.initialSize = file.size();
    impl_->chunks = makeChunks(file, std::max<std::int64_t>(impl_->options.chunkBytes, 1));
    const int jobs =
        impl_->options.jobs > 0 ? impl_->options.jobs : int(std::thread::hardware_concurrency());
    impl_->jobs = std::max(1, std::min(jobs, int(impl_->chunks.size())));
}

ClaimPass::~ClaimPass() = default;

const ClaimRules& ClaimPass::rules() const {
    return impl_->plan.rules;
}

std::size_t ClaimPass::chunkCount() const {
    return impl_->chunks.size();
}

bool ClaimPass::run(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
                    const std::function<void(std::size_t chunk)>& handOn) {
    Impl& d = *impl_;
    std::vector<Chunk>& chunks = d.chunks;
    const Options& options = d.options;
    const int jobs = d.jobs;
    const bool indexUsable = options.index && options.index->describes(d.file);

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> bytesDone{0};
    const std::int64_t total = (indexUsable ? 1 : 2) * d.plan.initialSize;
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

    if (indexUsable) {
        d.contextsFromIndex(*options.index);
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
                    findEvents(reader, chunks[i], cancel);
                    bytesDone += d.bytesOf(chunks[i]);
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
        if (cancel)
            return false;
        d.contextsFromEvents();
    }

    // Second pass: the claims, chunk by chunk, handed on in order. Workers run
    // only a few chunks ahead of what has been handed on, so that results
    // waiting for their turn stay few.
    const std::size_t ahead = std::size_t(2 * jobs);
    std::size_t next = 0;
    std::size_t handedOn = 0;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            const std::unique_ptr<ClaimVisitor> visitor = makeVisitor();
            ChunkReader reader(d.file, d.plan, *visitor);
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                changed.wait(lock, [&] {
                    return cancel || next >= chunks.size() || next < handedOn + ahead;
                });
                if (cancel || next >= chunks.size())
                    return;
                const std::size_t index = next++;
                Chunk& chunk = chunks[index];
                lock.unlock();
                reader.read(index, chunk, cancel);
                bytesDone += d.bytesOf(chunk);
                lock.lock();
                chunk.read = true;
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
    if (options.progress && !cancel)
        options.progress(total, total);
    return !cancel;
}

} // namespace qm

#include "core/check/FileCheck.h"

#include "core/claim/ClaimLoop.h"
#include "core/claim/RecordSplitter.h"
#include "core/common/RecordLine.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

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
    std::vector<ClaimVerdict> verdicts;
    bool checked = false;
};

// How often a worker looks whether the check was cancelled.
constexpr int kLinesBetweenCancelChecks = 4096;

// Values of a record that fail their checks, under its claim form node key.
void collectInvalid(const RecordLayout& layout, std::string_view line, const std::string& key,
                    std::vector<InvalidField>& out) {
    for (const RecordLayout::CheckedField& field : layout.checkedFields()) {
        const std::string_view value = field.value(line);
        if (!checkFieldValue(field.checks, value))
            out.push_back({key, field.index, std::string(value)});
    }
}

// What every worker reads: the claim rules of the layouts, and where the trailers are.
struct Plan {
    explicit Plan(std::shared_ptr<const LayoutCatalogue> layouts)
        : rules(std::move(layouts)) {}
    ClaimRules rules;
    std::vector<std::int64_t> batchTrailers; // line starts of YA0 records, ascending
    std::vector<std::int64_t> fileTrailers;  // of ZA0 records
    std::int64_t initialSize = 0;
};

std::optional<std::int64_t> firstAtOrAfter(const std::vector<std::int64_t>& list,
                                           std::int64_t from) {
    const auto it = std::lower_bound(list.begin(), list.end(), from);
    if (it == list.end())
        return std::nullopt;
    return *it;
}

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
class ChunkChecker {
public:
    ChunkChecker(const SequentialFile& file, const Plan& plan)
        : plan_(plan)
        , layouts_(plan.rules.layouts()) {
        lines_.openSame(file);
        records_.openSame(file);
    }

    void check(Chunk& chunk, const std::atomic<bool>& cancel);

private:
    struct Record {
        int typeIndex;
        int occurrence;
        std::vector<InvalidField> invalid; // node keys filled in when the claim ends
    };
    struct Claim {
        std::int64_t position = 0;
        std::string text;
        Context context;
        ClaimLoop loop;
        std::optional<RecordSplitter> splitter;
        std::vector<Record> records; // in node order
        std::string xa0;             // the claim's own XA0 record
        bool hasXa0 = false;
    };

    void start(const Context& context, std::int64_t position, std::string_view record);
    void process(std::string_view record);
    ClaimVerdict finish(std::int64_t after, bool endOfFile);
    // The nodes a claim shows above its own records: file header, batch, BA1.
    const std::vector<InvalidField>& contextInvalid(const Context& context);
    // A trailer record's invalid values, read where the first pass found it.
    void addTrailer(std::int64_t lineStart, const char* type, std::vector<InvalidField>& out);
    // The line at a record position, as a click's read of it gives it.
    bool readAt(std::int64_t position, std::string& line);

    const Plan& plan_;
    const LayoutCatalogue& layouts_;
    SequentialFile lines_;
    SequentialFile records_;
    Claim claim_;
    bool active_ = false;
    std::unordered_map<std::int64_t, std::vector<InvalidField>> contexts_;
    std::unordered_map<std::int64_t, std::vector<InvalidField>> trailers_;
};

bool ChunkChecker::readAt(std::int64_t position, std::string& line) {
    records_.seek(position);
    std::string_view view;
    if (!records_.readLineView(view))
        return false;
    line.assign(view);
    return true;
}

const std::vector<InvalidField>& ChunkChecker::contextInvalid(const Context& context) {
    const auto found = contexts_.find(context.ba0);
    if (found != contexts_.end())
        return found->second;
    std::vector<InvalidField>& invalid = contexts_[context.ba0];
    if (context.ba0 < 0)
        return invalid;
    std::string line;
    if (context.ba0Parent >= 0 && readAt(context.ba0Parent, line))
        collectInvalid(*layouts_.find("AA0"), line, "AA0", invalid);
    const RecordLayout& ba0 = *layouts_.find("BA0");
    if (readAt(context.ba0, line))
        collectInvalid(ba0, line, "BA0", invalid);
    // The batch header's second line, where a click looks for it.
    const int last = ba0.fieldCount();
    const std::int64_t at = context.ba0 + (last ? ba0.field(last - 1).EndPos : 0) + 2;
    const RecordLayout& ba1 = *layouts_.find("BA1");
    if (readAt(at, line) && ba1.fieldCount() >= 1 && ba1.value(0, line) == "BA1")
        collectInvalid(ba1, line, "BA1", invalid);
    return invalid;
}

void ChunkChecker::addTrailer(std::int64_t lineStart, const char* type,
                              std::vector<InvalidField>& out) {
    auto found = trailers_.find(lineStart);
    if (found == trailers_.end()) {
        std::vector<InvalidField>& invalid = trailers_[lineStart];
        records_.seek(lineStart);
        std::string_view line;
        if (records_.readLineView(line) && takeRecordLine(line)) {
            // The first record of its type in the click: occurrence 1.
            const RecordSplitter keys(plan_.rules);
            const std::string key = keys.nodeKey({recordTypeIndex(type), 1});
            collectInvalid(*layouts_.find(type), line, key, invalid);
        }
        found = trailers_.find(lineStart);
    }
    out.insert(out.end(), found->second.begin(), found->second.end());
}

void ChunkChecker::start(const Context& context, std::int64_t position, std::string_view record) {
    claim_.position = position;
    NodeText text;
    claim_.text.assign(text.make('C', record));
    claim_.context = context;
    claim_.loop = ClaimLoop();
    claim_.splitter.emplace(plan_.rules);
    claim_.records.clear();
    claim_.hasXa0 = false;
    active_ = true;
}

void ChunkChecker::process(std::string_view record) {
    const std::string_view type = record.substr(0, 3);
    const RecordSplitter::Split split = claim_.splitter->split(record, type);
    if (!split.stored())
        return;
    // A second record of a type that does not repeat takes the first one's place.
    auto it = std::find_if(claim_.records.begin(), claim_.records.end(), [&](const Record& r) {
        return r.typeIndex == split.typeIndex && r.occurrence == split.occurrence;
    });
    if (it == claim_.records.end()) {
        claim_.records.push_back({split.typeIndex, split.occurrence, {}});
        it = claim_.records.end() - 1;
    }
    it->invalid.clear();
    collectInvalid(layouts_.at(split.typeIndex), record, std::string(), it->invalid);
    if (type == "XA0" && split.occurrence == 1) {
        claim_.xa0.assign(record);
        claim_.hasXa0 = true;
    }
}

ClaimVerdict ChunkChecker::finish(std::int64_t after, bool endOfFile) {
    active_ = false;
    ClaimVerdict verdict;
    verdict.position = claim_.position;
    verdict.text = std::move(claim_.text);
    const std::string_view xa0 = claim_.xa0;
    const TotalsVerdict totals =
        plan_.rules.check(claim_.splitter->totals, claim_.hasXa0 ? &xa0 : nullptr, false);
    verdict.totals = totals.state;
    verdict.xa0Present = totals.xa0Present;
    verdict.invalid = contextInvalid(claim_.context);
    const int xa0Type = recordTypeIndex("XA0");
    for (Record& record : claim_.records) {
        // A compared XA0 field passes or fails by its total alone.
        if (record.typeIndex == xa0Type && record.occurrence == 1)
            record.invalid.erase(std::remove_if(record.invalid.begin(), record.invalid.end(),
                                                [&](const InvalidField& f) {
                                                    return plan_.rules.isCompared(f.field) &&
                                                           !trimSpaces(f.value).empty();
                                                }),
                                 record.invalid.end());
        if (record.invalid.empty())
            continue;
        const std::string key = claim_.splitter->nodeKey({record.typeIndex, record.occurrence});
        for (InvalidField& field : record.invalid) {
            field.node = key;
            verdict.invalid.push_back(std::move(field));
        }
    }
    verdict.mismatches = totals.compared; // the matches were not kept
    if (endOfFile) {
        // A claim cut off by a file that shrank while it was read is no claim to judge.
        verdict.unreadable = lines_.size() < plan_.initialSize;
        return verdict;
    }
    const auto ya0 = firstAtOrAfter(plan_.batchTrailers, after);
    const auto za0 = firstAtOrAfter(plan_.fileTrailers, after);
    if (ya0 && (!za0 || *ya0 < *za0))
        addTrailer(*ya0, "YA0", verdict.invalid);
    if (za0)
        addTrailer(*za0, "ZA0", verdict.invalid);
    return verdict;
}

void ChunkChecker::check(Chunk& chunk, const std::atomic<bool>& cancel) {
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
                chunk.verdicts.push_back(finish(lines_.position(), true));
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
                chunk.verdicts.push_back(finish(lines_.position(), false));
                break;
            case ClaimLoop::Step::End:
                chunk.verdicts.push_back(finish(lines_.position(), false));
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

FileCheck::Summary FileCheck::run(const SequentialFile& file,
                                  std::shared_ptr<const LayoutCatalogue> layouts,
                                  const Options& options,
                                  const std::function<void(ClaimVerdict&&)>& onClaim) {
    Summary summary;
    Plan plan(std::move(layouts));
    plan.initialSize = file.size();
    std::vector<Chunk> chunks = makeChunks(file, std::max<std::int64_t>(options.chunkBytes, 1));
    const int jobs = std::max(
        1, std::min(options.jobs > 0 ? options.jobs : int(std::thread::hardware_concurrency()),
                    int(chunks.size())));

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> bytesDone{0};
    const std::int64_t total = 2 * plan.initialSize;
    auto chunkBytes = [&](const Chunk& c) {
        return std::min(c.end, plan.initialSize + 1) - c.begin;
    };
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

    // First pass: where the headers and trailers are, chunk by chunk.
    {
        std::atomic<std::size_t> next{0};
        int running = jobs;
        std::vector<std::thread> workers;
        for (int j = 0; j < jobs; ++j)
            workers.emplace_back([&] {
                SequentialFile reader;
                reader.openSame(file);
                for (std::size_t i; !cancel && (i = next++) < chunks.size();) {
                    findEvents(reader, chunks[i], cancel);
                    bytesDone += chunkBytes(chunks[i]);
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
    }
    if (cancel) {
        summary.cancelled = true;
        return summary;
    }

    // Every chunk's context: the headers current where it begins.
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
                (event.type == 'Y' ? plan.batchTrailers : plan.fileTrailers)
                    .push_back(event.lineStart);
            }
        }
        chunk.events = {};
    }

    // Second pass: the claims, chunk by chunk, handed on in order. Workers run
    // only a few chunks ahead of what has been handed on, so that verdicts
    // waiting for their turn stay few.
    const std::size_t ahead = std::size_t(2 * jobs);
    std::size_t next = 0;
    std::size_t handedOn = 0;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            ChunkChecker checker(file, plan);
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                changed.wait(lock, [&] {
                    return cancel || next >= chunks.size() || next < handedOn + ahead;
                });
                if (cancel || next >= chunks.size())
                    return;
                Chunk& chunk = chunks[next++];
                lock.unlock();
                checker.check(chunk, cancel);
                bytesDone += chunkBytes(chunk);
                lock.lock();
                chunk.checked = true;
                changed.notify_all();
            }
        });
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (handedOn < chunks.size() && !cancel) {
            waitFor(lock, [&] { return cancel || chunks[handedOn].checked; });
            if (cancel)
                break;
            std::vector<ClaimVerdict> verdicts = std::move(chunks[handedOn].verdicts);
            ++handedOn;
            changed.notify_all();
            lock.unlock();
            for (ClaimVerdict& verdict : verdicts) {
                ++summary.claims;
                summary.totalsFailed += verdict.totalsFailed() ? 1 : 0;
                summary.withInvalid += verdict.invalid.empty() ? 0 : 1;
                summary.uncertain += verdict.uncertain() ? 1 : 0;
                onClaim(std::move(verdict));
            }
            lock.lock();
        }
        changed.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
    summary.cancelled = cancel;
    if (options.progress && !cancel)
        options.progress(total, total);
    return summary;
}

} // namespace qm

#include "core/check/ChunkPlan.h"

#include "core/common/RecordLine.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"

#include <algorithm>

namespace qm {

namespace {
// How often the first reading looks whether the pass was cancelled.
constexpr int kLinesBetweenCancelChecks = 4096;
} // namespace

ChunkPlan::ChunkPlan(const SequentialFile& file, std::int64_t chunkBytes)
    : chunks_(1)
    , initialSize_(file.size()) {
    chunkBytes = std::max<std::int64_t>(chunkBytes, 1);
    SequentialFile reader;
    if (reader.openSame(file)) {
        std::string_view line;
        for (std::int64_t at = 1 + chunkBytes; at <= initialSize_; at += chunkBytes) {
            // Whatever line `at` falls in, the one after it begins a chunk.
            reader.seek(std::max(at, chunks_.back().begin));
            if (!reader.readLineView(line) || reader.position() > initialSize_)
                break;
            const std::int64_t begin = reader.position();
            chunks_.back().end = begin;
            chunks_.emplace_back().begin = begin;
            at = std::max(at, begin - 1);
        }
    }
    chunks_.back().end = INT64_MAX;
    events_.resize(chunks_.size());
    claimsIn_.resize(chunks_.size());
}

std::int64_t ChunkPlan::bytesOf(const Chunk& chunk) const {
    return std::min(chunk.end, initialSize_ + 1) - chunk.begin;
}

void ChunkPlan::findEvents(SequentialFile& reader, std::size_t index,
                           const std::atomic<bool>& cancel) {
    const Chunk& chunk = chunks_[index];
    std::vector<Event>& events = events_[index];
    reader.seek(chunk.begin);
    // Counted here and told once: workers counting side by side in one
    // vector would share its cache lines.
    std::int64_t n = 0, claims = 0;
    reader.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (n++ % kLinesBetweenCancelChecks == 0 && cancel.load(std::memory_order_relaxed))
            return false;
        if (lineStart >= chunk.end)
            return false;
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position) || line[1] != 'A' || line[2] != '0')
            return true;
        const char type = line[0];
        if (type == 'A' || type == 'B' || type == 'Y' || type == 'Z')
            events.push_back({type, position, lineStart});
        else if (type == 'C')
            ++claims;
        return true;
    });
    claimsIn_[index] = claims;
}

void ChunkPlan::contextsFromEvents() {
    Context context;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        chunks_[i].context = context;
        claims_ += claimsIn_[i];
        for (const Event& event : events_[i]) {
            if (event.type == 'A') {
                context.aa0 = event.position;
            } else if (event.type == 'B') {
                context.ba0 = event.position;
                context.ba0Parent = context.aa0;
            } else {
                found_.add(event.type, event.lineStart);
            }
        }
    }
    std::vector<std::vector<Event>>().swap(events_);
}

void ChunkPlan::contextsFromIndex(const HeaderIndex& index) {
    // Records before a chunk's first line lie at positions before its begin.
    Context context;
    auto header = index.headers().begin();
    for (Chunk& chunk : chunks_) {
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
    index_ = &index.trailers();
    claims_ = index.claimCount();
}

} // namespace qm

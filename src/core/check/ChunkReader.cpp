#include "core/check/ChunkReader.h"

#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimFrame.h"
#include "core/common/RecordLine.h"

#include <algorithm>
#include <limits>

namespace qm {

namespace {
// How often a worker looks whether the pass was cancelled.
constexpr int kLinesBetweenCancelChecks = 4096;
} // namespace

ChunkReader::ChunkReader(const SequentialFile& file, const ChunkPlan& plan, const ClaimRules& rules,
                         ClaimVisitor& visitor, const Settings& settings)
    : plan_(plan)
    , rules_(rules)
    , layouts_(rules.layouts())
    , visitor_(visitor)
    , settings_(settings)
    , keys_(rules) {
    lines_.openSame(file);
    records_.openSame(file);
}

const std::vector<SharedRecord>& ChunkReader::above(const ChunkPlan::Context& context) {
    if (context.ba0 == aboveOf_)
        return above_;
    aboveOf_ = context.ba0;
    above_.clear();
    aboveUnreadable_ = false;
    if (context.ba0 < 0)
        return above_;
    std::size_t slot = 0;
    for (const ClaimFrame::Record& record :
         ClaimFrame::above(ClaimFrame::Node::Claim, context.ba0Parent, context.ba0)) {
        const std::int64_t at =
            record.lookUp ? BatchSecondLine::position(records_, record.position) : record.position;
        std::string_view line;
        records_.seek(at);
        const bool read = at >= 0 && records_.readLineView(line);
        if (record.lookUp ? !(read && BatchSecondLine::isOne(layouts_, line))
                          : !(read && takeRecordOfType(line, record.type))) {
            // No BA1 is no fault; a header that is not there means the file changed.
            aboveUnreadable_ = aboveUnreadable_ || !record.lookUp;
            continue;
        }
        std::string& kept = aboveLines_[slot++];
        kept.assign(line);
        above_.push_back({at, recordTypeIndex(record.type), record.type, kept});
    }
    return above_;
}

const std::vector<SharedRecord>& ChunkReader::below(std::int64_t after) {
    // The claims of a batch end before the same trailers: no trailer lies
    // between where the last claim and this one ended.
    if (belowRead_ && after >= belowFrom_ && after <= belowUntil_)
        return below_;
    const ClaimFrame frame = ClaimFrame::below(plan_.trailers(), after);
    std::array<std::int64_t, 2> at{-1, -1};
    belowFrom_ = after;
    belowUntil_ = std::numeric_limits<std::int64_t>::max();
    for (const ClaimFrame::Record& record : frame) {
        at[record.type == ClaimFrame::kBatchTrailer.type ? 0 : 1] = record.position;
        belowUntil_ = std::min(belowUntil_, record.position);
    }
    if (belowRead_ && at == belowOf_)
        return below_;
    belowRead_ = true;
    belowOf_ = at;
    below_.clear();
    belowUnreadable_ = false;
    std::size_t slot = 0;
    for (const ClaimFrame::Record& record : frame) {
        records_.seek(record.position);
        std::string_view line;
        if (!records_.readLineView(line) || !takeRecordOfType(line, record.type)) {
            belowUnreadable_ = true;
            continue;
        }
        belowLines_[slot].assign(line);
        const int type = recordTypeIndex(record.type);
        // The first record of its type in the click: occurrence 1.
        belowKeys_[slot] = keys_.nodeKey({type, 1});
        below_.push_back({record.position, type, belowKeys_[slot], belowLines_[slot]});
        ++slot;
    }
    return below_;
}

void ChunkReader::start(const ChunkPlan::Context& context, std::int64_t position,
                        std::string_view record) {
    if (settings_.claimHook)
        settings_.claimHook(position);
    claim_.position = position;
    claim_.text = claim_.nodeText.make('C', record);
    claim_.context = context;
    claim_.loop = ClaimLoop();
    if (claim_.splitter)
        claim_.splitter->reset();
    else
        claim_.splitter.emplace(rules_);
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
    // Cut off by a file that shrank while it was read, or framed by records
    // that are no longer where the file had them: no claim to judge.
    claim.unreadable = (endOfFile && lines_.size() < plan_.initialSize()) || aboveUnreadable_ ||
                       (!endOfFile && belowUnreadable_);
    visitor_.endClaim(claim);
}

void ChunkReader::read(std::size_t index, const std::atomic<bool>& cancel) {
    visitor_.beginChunk(index);
    readClaims(index, cancel);
    visitor_.endChunk();
}

void ChunkReader::readClaims(std::size_t index, const std::atomic<bool>& cancel) {
    const ChunkPlan::Chunk& chunk = plan_.chunks()[index];
    ChunkPlan::Context context = chunk.context;
    lines_.seek(chunk.begin);
    std::int64_t n = 0;
    bool stopped = false;
    lines_.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        const bool inChunk = lineStart < chunk.end;
        if ((n++ % kLinesBetweenCancelChecks == 0 && cancel.load(std::memory_order_relaxed)) ||
            (!inChunk && !active_)) {
            stopped = true;
            return false;
        }
        if (inChunk && settings_.everyLine)
            visitor_.line(line, lineStart);
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
            return true;
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position))
            return true;
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
        return true;
    });
    // The file ended inside the claim.
    if (!stopped && active_)
        finish(lines_.position(), true);
}

} // namespace qm

#include "core/compare/UnitScanner.h"

#include "core/claim/BatchSecondLine.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/compare/LineDigest.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/RecordStore.h"

#include <algorithm>

namespace qm {

namespace {

// What lies beyond the kept part of a long line is read in blocks of this size.
constexpr std::size_t kTailBlock = std::size_t(1) << 16;

// The name and number a unit's file tree text is made of.
void describe(char typeLetter, std::string_view record, std::string& name, std::string& number) {
    const NodeText::Fields fields = NodeText::fieldsOf(typeLetter, record);
    auto joined = [](std::string_view last, std::string_view first) {
        return first.empty() ? std::string(last) : std::string(last) + ", " + std::string(first);
    };
    switch (fields.shape) {
    case NodeText::kHeader:
        number.assign(fields.field[0]);
        break;
    case NodeText::kBatchByName:
        name.assign(fields.field[1]);
        break;
    case NodeText::kBatchByPerson:
        name = joined(fields.field[1], fields.field[2]);
        break;
    case NodeText::kClaim:
        name = joined(fields.field[0], fields.field[1]);
        number.assign(fields.field[2]);
        break;
    }
}

std::string textOf(char typeLetter, std::string_view record) {
    NodeText text;
    return std::string(text.make(typeLetter, record));
}

// The trimmed value of a field by number, as this file's map places it.
std::string fieldValue(const LayoutCatalogue& layouts, std::string_view type,
                       std::string_view fieldId, std::string_view record) {
    const RecordLayout& layout = *layouts.find(type);
    const int field = layout.indexOf(fieldId);
    return field < 0 ? std::string() : std::string(trimSpaces(layout.value(field, record)));
}

} // namespace

UnitScanner::UnitScanner(std::shared_ptr<const LayoutCatalogue> layouts, bool byPosition,
                         std::uint64_t seed, const SequentialFile& file, Listener& listener,
                         std::int64_t firstLine)
    : layouts_(std::move(layouts))
    , byPosition_(byPosition)
    , seed_(seed)
    , file_(file)
    , listener_(listener)
    , firstLine_(firstLine)
    , lineNumber_(firstLine - 1)
    , rules_(layouts_)
    , splitter_(rules_)
    , nodeOf_(std::size_t(kRecordTypeCount) * (kMaxOccurrence + 1), 0) {
}

UnitScanner::~UnitScanner() = default;

void UnitScanner::addTail(const SequentialFile& file, const LineRead& read, LineDigest& digest) {
    // The reader kept the line up to its cap; the rest runs to its CR.
    std::string block(kTailBlock, '\0');
    for (std::int64_t at = read.start + std::int64_t(SequentialFile::kMaxLineLength);
         at < read.next;) {
        const std::size_t want =
            std::min<std::size_t>(kTailBlock, static_cast<std::size_t>(read.next - at));
        const std::size_t got = file.readBytes(at, block.data(), want);
        const std::string_view part(block.data(), got);
        const std::size_t cr = part.find('\r');
        digest.add(part.substr(0, cr));
        if (cr != std::string_view::npos || got < want)
            return;
        at += std::int64_t(got);
    }
}

UnitRecords::Where UnitScanner::whereOf(const SequentialFile& file, std::uint64_t seed,
                                        const LineRead& read, std::string_view record) {
    UnitRecords::Where where;
    where.line = read.number;
    where.position = read.start;
    const bool leadingLf = record.size() != read.raw.size();
    if (!leadingLf && record.size() <= RecordStore::kMaxStoredLine && !read.cut)
        return where;
    LineDigest digest(seed);
    digest.add(std::uint64_t(leadingLf));
    digest.add(record.substr(std::min(record.size(), RecordStore::kMaxStoredLine)));
    if (read.cut)
        addTail(file, read, digest);
    where.rest = digest.value() | 1; // never 0, which means none
    return where;
}

void UnitScanner::unshownLine(UnshownLine line, StreamUnit* holder) {
    if (!line.digest) {
        // A line read now: what it is, all of it.
        LineDigest digest(seed_);
        digest.add(std::uint64_t(line.why));
        digest.add(current_.raw);
        if (current_.cut)
            addTail(file_, current_, digest);
        line.digest = digest.value();
        line.line = lineNumber_;
        line.position = current_.start;
        line.text = current_.raw.substr(0, RecordStore::kMaxStoredLine);
    }
    std::int64_t& count = holder ? holder->unshown : fileUnshown_;
    std::uint64_t& sum = holder ? holder->unshownDigest : fileDigest_;
    LineDigest digest(seed_);
    digest.add(sum);
    digest.add(line.digest);
    sum = digest.value();
    ++count;
    if (holder) {
        line.owner = holder->unit;
        line.ownerPosition = holder->place.position;
    }
    listener_.unshown(line);
}

void UnitScanner::line(std::string_view line, std::int64_t lineStart, bool cut, std::int64_t next) {
    ++lineNumber_;
    at_ = lineStart;
    current_ = {line, lineStart, lineNumber_, cut, next};
    bool shown = false;
    // A batch's second line is the line right after its header.
    if (expectBa1_) {
        expectBa1_ = false;
        if (BatchSecondLine::isOne(*layouts_, line)) {
            batch_.records.add(recordTypeIndex("BA1"), 1, line, where(line));
            shown = true;
        }
    }
    std::string_view record = line;
    std::int64_t position = lineStart;
    const bool isRecord = takeRecordLine(record, position);
    const std::string_view type = isRecord ? record.substr(0, 3) : std::string_view();
    UnshownLine::Why why = isRecord ? UnshownLine::Record : UnshownLine::TooShort;
    if (isRecord && type == "CA0") {
        // Its batch is the one open as it begins; the claim before ends with it.
        StreamUnit starting = claimStart(record, position);
        if (claimActive_)
            claimLine(why);
        startClaim(std::move(starting), record);
        return;
    }
    if (isRecord)
        shown = structure(type, record, position) || shown;
    const InClaim inClaim = claimActive_ ? claimLine(why) : InClaim::No;
    if (shown || inClaim == InClaim::Shown)
        return;
    UnshownLine unshown;
    unshown.why = why;
    unshown.type = type;
    StreamUnit* holder = inClaim == InClaim::Unshown ? &claim_
                         : batch_.place.present()    ? &batch_
                         : header_.place.present()   ? &header_
                                                     : nullptr;
    unshownLine(unshown, holder);
}

bool UnitScanner::structure(std::string_view type, std::string_view record, std::int64_t position) {
    if (type == "AA0") {
        closeBatch();
        closeHeader();
        open(header_, CompareUnit::FileHeader, record, position);
        // Begun inside a claim: a reading of its lines begins with that claim.
        if (claimActive_) {
            header_.scanFrom = claim_.scanFrom;
            header_.scanFromLine = claim_.scanFromLine;
        }
        return true;
    }
    if (type == "BA0") {
        closeBatch();
        open(batch_, CompareUnit::Batch, record, position);
        // A batch goes by its provider, whatever its tree text shows.
        batch_.number = fieldValue(*layouts_, "BA0", "02.0", record);
        if (!byPosition_)
            batch_.key = batch_.number;
        lastBatch_ = {position, batch_.key, batchesOfKey_[batch_.key]++};
        expectBa1_ = true;
        return true;
    }
    if (type == "YA0") {
        if (!batch_.place.present() || batch_.place.trailer >= 0)
            return false;
        batch_.place.trailer = position;
        batch_.place.trailerLine = lineNumber_;
        batch_.place.leadingLf |= record.size() != current_.raw.size() ? 2 : 0;
        batch_.records.add(recordTypeIndex("YA0"), 1, record, where(record));
        closeBatch();
        return true;
    }
    if (type == "ZA0") {
        closeBatch();
        if (!header_.place.present() || header_.place.trailer >= 0)
            return false;
        header_.place.trailer = position;
        header_.place.trailerLine = lineNumber_;
        header_.place.leadingLf |= record.size() != current_.raw.size() ? 2 : 0;
        header_.records.add(recordTypeIndex("ZA0"), 1, record, where(record));
        closeHeader();
        return true;
    }
    return false;
}

UnitScanner::InClaim UnitScanner::claimLine(UnshownLine::Why& why) {
    std::string_view record = current_.raw;
    switch (loop_.next(record, splitter_.totals)) {
    case ClaimLoop::Step::NotARecord:
        why = UnshownLine::TooShort;
        return InClaim::Unshown;
    case ClaimLoop::Step::Counted:
        why = UnshownLine::Record;
        return InClaim::Unshown;
    case ClaimLoop::Step::Process:
        if (claimRecord(record))
            return InClaim::Shown;
        why = UnshownLine::PastLast;
        return InClaim::Unshown;
    case ClaimLoop::Step::ProcessThenEnd: {
        const bool stored = claimRecord(record);
        if (!stored) {
            why = UnshownLine::PastLast;
            // Held by the claim, which ends with it.
            UnshownLine unshown;
            unshown.why = why;
            unshown.type = record.substr(0, 3);
            unshownLine(unshown, &claim_);
        }
        endClaim(false);
        return InClaim::Shown;
    }
    case ClaimLoop::Step::End:
        endClaim(false);
        return InClaim::No;
    }
    return InClaim::No;
}

bool UnitScanner::claimRecord(std::string_view record) {
    const std::string_view type = record.substr(0, 3);
    const RecordSplitter::Split split = splitter_.split(record, type);
    if (!split.stored())
        return false;
    const std::size_t slot =
        std::size_t(split.typeIndex) * (kMaxOccurrence + 1) + std::size_t(split.occurrence);
    const UnitRecords::Where place = where(record);
    if (!nodeOf_[slot]) {
        nodeSlots_.push_back(slot);
        nodeOf_[slot] = static_cast<std::uint16_t>(nodeSlots_.size());
        records_.add(split.typeIndex, split.occurrence, record, place);
        return true;
    }
    // A second record of a type that does not repeat takes the first one's
    // place: the first is then a line no unit shows.
    const std::size_t node = nodeOf_[slot] - 1u;
    const UnitRecords::Record replaced = records_[node];
    LineDigest digest(seed_);
    digest.add(std::uint64_t(UnshownLine::Replaced));
    digest.add(replaced.line);
    digest.add(replaced.where.rest);
    UnshownLine unshown;
    unshown.why = UnshownLine::Replaced;
    unshown.type = replaced.line.substr(0, 3);
    unshown.line = replaced.where.line;
    unshown.position = replaced.where.position;
    unshown.text = replaced.line;
    unshown.digest = digest.value() | 1;
    unshownLine(unshown, &claim_);
    records_.replace(node, split.typeIndex, split.occurrence, record, place);
    return true;
}

void UnitScanner::startClaim(StreamUnit&& unit, std::string_view record) {
    claim_ = std::move(unit);
    claim_.scanFrom = current_.start;
    claim_.scanFromLine = lineNumber_;
    claim_.place.line = lineNumber_;
    claim_.place.leadingLf = std::uint8_t(record.size() != current_.raw.size());
    loop_ = ClaimLoop();
    splitter_.reset();
    for (const std::size_t slot : nodeSlots_)
        nodeOf_[slot] = 0;
    nodeSlots_.clear();
    records_.clear();
    claimActive_ = true;
    std::string_view first = current_.raw;
    loop_.next(first, splitter_.totals);
    claimRecord(first);
}

void UnitScanner::endClaim(bool unreadable) {
    claimActive_ = false;
    // A copy just the size of the claim; the buffer stays for the next.
    claim_.records = records_;
    records_.clear();
    claim_.unreadable = unreadable;
    claim_.at = at_;
    listener_.unit(std::move(claim_));
    claim_ = StreamUnit();
}

void UnitScanner::finish(std::int64_t end, bool shrank) {
    // A claim the file ends in ends first, then its batch and file header.
    if (claimActive_)
        endClaim(shrank);
    at_ = end;
    closeBatch();
    closeHeader();
}

void UnitScanner::open(StreamUnit& unit, CompareUnit kind, std::string_view record,
                       std::int64_t position) {
    unit = StreamUnit();
    unit.unit = kind;
    unit.place.position = position;
    unit.place.line = lineNumber_;
    unit.place.leadingLf = std::uint8_t(record.size() != current_.raw.size());
    unit.scanFrom = current_.start;
    unit.scanFromLine = lineNumber_;
    const char letter = kind == CompareUnit::FileHeader ? 'A' : 'B';
    unit.place.text = textOf(letter, record);
    describe(letter, record, unit.name, unit.number);
    unit.records.add(recordTypeIndex(record.substr(0, 3)), 1, record, where(record));
}

void UnitScanner::close(StreamUnit& unit) {
    if (!unit.place.present())
        return;
    unit.at = at_;
    listener_.unit(std::move(unit));
    unit = StreamUnit();
}

void UnitScanner::closeBatch() {
    expectBa1_ = false;
    close(batch_);
}

void UnitScanner::closeHeader() {
    close(header_);
}

StreamUnit UnitScanner::claimStart(std::string_view record, std::int64_t position) const {
    StreamUnit unit;
    unit.place.position = position;
    unit.place.batch = lastBatch_.position;
    unit.place.text = textOf('C', record);
    describe('C', record, unit.name, unit.number);
    unit.batchKey = lastBatch_.key;
    unit.batchNumber = lastBatch_.number;
    if (!byPosition_) {
        // The provider first, its length before it, so that no two pairs run together.
        unit.key = std::to_string(lastBatch_.key.size()) + ':' + lastBatch_.key +
                   fieldValue(*layouts_, "CA0", "03.0", record);
    }
    return unit;
}

} // namespace qm

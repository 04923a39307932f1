#include "core/check/ProblemStore.h"

#include "core/filetree/FileTree.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

// A row is a byte of its kind and scope, then the flags saying which of its
// numbers are there (a number of seven bits a byte), then those numbers:
// claim, node, batch, position, line, record, field, value, found, expected;
// a rule's row then its rule's number and its severity.
// Claim, batch, position and line are told as the difference from the row
// before; the node as how far it is off moving with the claim.
constexpr unsigned kClaimStep = 1u << 0;  // the next claim: claim + 1
constexpr unsigned kNodeDelta = 1u << 1;  // the claim's node, off moving with the claim
constexpr unsigned kPosition = 1u << 2;   // position
constexpr unsigned kLine = 1u << 3;       // line
constexpr unsigned kRecord = 1u << 4;     // record type + 1 (a byte), occurrence
constexpr unsigned kField = 1u << 5;      // field + 1
constexpr unsigned kValue = 1u << 6;      // the value's length (its bytes in the pool)
constexpr unsigned kClaimDelta = 1u << 7; // claim
constexpr unsigned kBatch = 1u << 8;      // batch, and its BA0's position
constexpr unsigned kFound = 1u << 9;      // found
constexpr unsigned kExpected = 1u << 10;  // expected
constexpr unsigned kFoundIsNumber = 1u << 11;
constexpr unsigned kNoClaim = 1u << 12;   // the row names no claim
constexpr unsigned kNoBatch = 1u << 13;   // the row names no batch
constexpr unsigned kNotInTree = 1u << 14; // the row's claim has no node in the tree
constexpr unsigned kTooLarge = 1u << 15;  // Problem::kTooLarge

constexpr int kPoolChunkBits = 20;
constexpr std::uint64_t kPoolChunk = std::uint64_t(1) << kPoolChunkBits;

std::uint64_t zigzag(std::int64_t n) {
    return (std::uint64_t(n) << 1) ^ std::uint64_t(n >> 63);
}

std::int64_t unzigzag(std::uint64_t n) {
    return std::int64_t(n >> 1) ^ -std::int64_t(n & 1);
}

// The flags of the numbers a row has whatever the row before it.
unsigned detailFlags(const Problem& p, std::size_t valueLength) {
    unsigned flags = 0;
    flags |= p.recordType != -1 || p.occurrence != 0 ? kRecord : 0;
    flags |= p.field != -1 ? kField : 0;
    flags |= valueLength ? kValue : 0;
    flags |= p.found ? kFound : 0;
    flags |= p.expected ? kExpected : 0;
    flags |= (p.flags & Problem::kFoundIsNumber) ? kFoundIsNumber : 0;
    flags |= (p.flags & Problem::kTooLarge) ? kTooLarge : 0;
    return flags;
}

} // namespace

void ProblemStore::Pending::add(const ProblemRow& row, std::int64_t batchPosition,
                                std::int64_t claimNode) {
    rows_.push_back({row.problem, batchPosition, claimNode, pool_.size(), row.value.size()});
    pool_.append(row.value);
    if (row.rules && !rules_)
        rules_ = row.rules->shared_from_this();
}

ProblemStore::Entry ProblemStore::Pending::at(std::size_t i) const {
    const Row& r = rows_[i];
    return {r.problem, std::string_view(pool_).substr(r.value, r.valueLength), r.batchPosition,
            r.claimNode, rules_.get()};
}

ProblemStore::ProblemStore(std::shared_ptr<const FileTree> tree)
    : tree_(std::move(tree)) {
}

ProblemStore::~ProblemStore() = default;

void ProblemStore::putNumber(std::uint64_t number) {
    while (number >= 0x80) {
        putByte(std::uint8_t(number | 0x80));
        number >>= 7;
    }
    putByte(std::uint8_t(number));
}

void ProblemStore::putSigned(std::int64_t number) {
    putNumber(zigzag(number));
}

std::uint64_t ProblemStore::numberAt(std::uint64_t& at) const {
    std::uint64_t number = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t byte = byteAt(at++);
        number |= std::uint64_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return number;
    }
}

std::int64_t ProblemStore::signedAt(std::uint64_t& at) const {
    return unzigzag(numberAt(at));
}

std::uint64_t ProblemStore::valueStart(std::uint64_t end, std::size_t length) {
    if ((end & (kPoolChunk - 1)) + length > kPoolChunk)
        return (end | (kPoolChunk - 1)) + 1;
    return end;
}

void ProblemStore::putValue(std::string_view value) {
    putNumber(value.size());
    const std::uint64_t start = valueStart(end_.pool, value.size());
    while (pool_.size() <= (start >> kPoolChunkBits))
        pool_.emplace_back(new char[kPoolChunk]);
    std::memcpy(pool_[start >> kPoolChunkBits].get() + (start & (kPoolChunk - 1)), value.data(),
                value.size());
    end_.pool = start + value.size();
}

std::string_view ProblemStore::valueAt(std::uint64_t start, std::size_t length) const {
    if (!length)
        return {};
    return std::string_view(pool_[start >> kPoolChunkBits].get() + (start & (kPoolChunk - 1)),
                            length);
}

void ProblemStore::append(const ProblemRow& row, std::int64_t batchPosition,
                          std::int64_t claimNode) {
    if (counts_.rows % kMarkInterval == 0)
        marks_.push_back({bytes_.size(), end_});
    const Problem& p = row.problem;
    State& s = end_;
    unsigned flags = 0;
    std::int64_t claimDelta = 0;
    std::int64_t nodeDelta = 0;
    if (p.claim < 0) {
        flags |= kNoClaim;
    } else {
        claimDelta = p.claim - s.claim;
        flags |= claimDelta == 1 ? kClaimStep : claimDelta ? kClaimDelta : 0;
        if (claimNode < 0) {
            flags |= kNotInTree;
        } else {
            nodeDelta = claimNode - (s.node + claimDelta);
            flags |= nodeDelta ? kNodeDelta : 0;
            s.node = claimNode;
        }
        s.claim = p.claim;
    }
    const bool batchMoves =
        p.batch >= 0 && (p.batch != s.batch || batchPosition != s.batchPosition);
    flags |= p.batch < 0 ? kNoBatch : batchMoves ? kBatch : 0;
    flags |= p.position != s.position ? kPosition : 0;
    flags |= p.line != s.line ? kLine : 0;
    // A value longer than a chunk of the pool (none is) keeps its start.
    const std::string_view value = row.value.substr(0, kPoolChunk);
    flags |= detailFlags(p, value.size());

    putByte(std::uint8_t(unsigned(p.kind) | (unsigned(p.scope) << 5)));
    putNumber(flags);
    if (flags & kClaimDelta)
        putSigned(claimDelta);
    if (flags & kNodeDelta)
        putSigned(nodeDelta);
    if (flags & kBatch) {
        putSigned(p.batch - s.batch);
        putSigned(batchPosition - s.batchPosition);
        s.batch = p.batch;
        s.batchPosition = batchPosition;
    }
    if (flags & kPosition)
        putSigned(p.position - s.position);
    s.position = p.position;
    if (flags & kLine)
        putSigned(p.line - s.line);
    s.line = p.line;
    if (flags & kRecord) {
        putByte(std::uint8_t(p.recordType + 1));
        putNumber(std::uint16_t(p.occurrence));
    }
    if (flags & kField)
        putNumber(std::uint64_t(p.field + 1));
    if (flags & kValue)
        putValue(value);
    if (flags & kFound)
        putSigned(p.found);
    if (flags & kExpected)
        putSigned(p.expected);
    if (p.kind == Problem::Kind::Rule) {
        putNumber(std::uint32_t(p.rule));
        putByte(std::uint8_t(p.ruleSeverity));
        if (row.rules && !rules_)
            rules_ = row.rules->shared_from_this();
    }

    if (p.scope == Problem::Scope::Claim && claimNode >= 0 &&
        (claimNodes_.empty() || claimNode > claimNodes_.back()))
        claimNodes_.push_back(claimNode);
    count(p);
}

void ProblemStore::append(const Pending& pending, std::size_t first, std::size_t count) {
    const std::size_t size = pending.rows_.size();
    const std::size_t end = first < size ? first + std::min(count, size - first) : first;
    for (std::size_t i = first; i < end; ++i) {
        const Entry entry = pending.at(i);
        append(entry.row(), entry.batchPosition, entry.claimNode);
    }
}

void ProblemStore::count(const Problem& p) {
    ++counts_.rows;
    switch (p.scope) {
    case Problem::Scope::Claim:
        counts_.claims += p.claim != countedClaim_ ? 1 : 0;
        countedClaim_ = p.claim;
        break;
    case Problem::Scope::Batch:
        counts_.batches += p.batch != countedBatch_ ? 1 : 0;
        countedBatch_ = p.batch;
        break;
    case Problem::Scope::File:
        ++counts_.file;
        break;
    }
}

ProblemStore::Entry ProblemStore::at(std::int64_t row) const {
    Reader reader(*this, row);
    return reader.next();
}

ProblemStore::Reader::Reader(const ProblemStore& store, std::int64_t row)
    : store_(&store) {
    seek(row);
}

void ProblemStore::Reader::seek(std::int64_t row) {
    const std::int64_t mark = row / kMarkInterval;
    // A fresh reader stands at the first mark.
    if (row < row_ || mark > row_ / kMarkInterval) {
        if (mark >= std::int64_t(store_->marks_.size())) {
            row_ = store_->size();
            return;
        }
        const Mark& at = store_->marks_[std::size_t(mark)];
        row_ = mark * kMarkInterval;
        byte_ = at.byte;
        state_ = at.state;
    }
    while (row_ < row && !atEnd())
        next();
}

ProblemStore::Entry ProblemStore::Reader::next() {
    const ProblemStore& store = *store_;
    State& s = state_;
    Entry entry;
    Problem& p = entry.problem;
    const std::uint8_t head = store.byteAt(byte_++);
    p.kind = Problem::Kind(head & 0x1F);
    p.scope = Problem::Scope(head >> 5);
    const auto flags = unsigned(store.numberAt(byte_));
    std::int64_t claimDelta = 0;
    if (flags & kClaimStep)
        claimDelta = 1;
    if (flags & kClaimDelta)
        claimDelta = store.signedAt(byte_);
    const std::int64_t nodeDelta = (flags & kNodeDelta) ? store.signedAt(byte_) : 0;
    if (!(flags & kNoClaim)) {
        s.claim += claimDelta;
        p.claim = s.claim;
        if (!(flags & kNotInTree)) {
            s.node += claimDelta + nodeDelta;
            entry.claimNode = s.node;
        }
    }
    if (flags & kBatch) {
        s.batch += store.signedAt(byte_);
        s.batchPosition += store.signedAt(byte_);
    }
    if (!(flags & kNoBatch)) {
        p.batch = s.batch;
        entry.batchPosition = s.batchPosition;
    }
    if (flags & kPosition)
        s.position += store.signedAt(byte_);
    p.position = s.position;
    if (flags & kLine)
        s.line += store.signedAt(byte_);
    p.line = s.line;
    if (flags & kRecord) {
        p.recordType = std::int8_t(int(store.byteAt(byte_++)) - 1);
        p.occurrence = std::int16_t(store.numberAt(byte_));
    }
    if (flags & kField)
        p.field = std::int16_t(std::int64_t(store.numberAt(byte_)) - 1);
    if (flags & kValue) {
        const auto length = std::size_t(store.numberAt(byte_));
        const std::uint64_t start = valueStart(s.pool, length);
        entry.value = store.valueAt(start, length);
        s.pool = start + length;
    }
    if (flags & kFound)
        p.found = store.signedAt(byte_);
    if (flags & kExpected)
        p.expected = store.signedAt(byte_);
    if (p.kind == Problem::Kind::Rule) {
        p.rule = std::int32_t(store.numberAt(byte_));
        p.ruleSeverity = Problem::Severity(store.byteAt(byte_++));
        entry.rules = store.rules_.get();
    }
    if (flags & kFoundIsNumber)
        p.flags |= Problem::kFoundIsNumber;
    if (flags & kTooLarge)
        p.flags |= Problem::kTooLarge;
    ++row_;
    return entry;
}

ProblemStore::Range ProblemStore::claimRows(std::int64_t node) const {
    const std::int64_t at = claimNodes_.countBelow(node);
    if (at == claimNodes_.size() || claimNodes_[at] != node)
        return {};
    // The last mark before which every row's claim lies before the node.
    std::int64_t lo = 0, hi = std::int64_t(marks_.size());
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (marks_[std::size_t(mid)].state.node < node)
            lo = mid;
        else
            hi = mid;
    }
    Reader reader(*this, lo * kMarkInterval);
    Range range;
    while (!reader.atEnd()) {
        const std::int64_t row = reader.row();
        const Entry entry = reader.next();
        if (entry.claimNode > node)
            break;
        const bool ofClaim =
            entry.problem.scope == Problem::Scope::Claim && entry.claimNode == node;
        if (ofClaim && range.empty())
            range = {row, row + 1};
        else if (ofClaim)
            range.end = row + 1;
        else if (!range.empty())
            break;
    }
    return range;
}

std::size_t ProblemStore::memoryBytes() const {
    return sizeof(*this) + bytes_.memoryBytes() + marks_.memoryBytes() + pool_.size() * kPoolChunk +
           pool_.capacity() * sizeof(pool_[0]) + claimNodes_.memoryBytes();
}

} // namespace qm

#include "core/compare/UnitSpill.h"

#include "core/io/TemporaryFile.h"

#include <cstring>
#include <deque>

namespace qm {

namespace {

// The filter of keys written out: 2^25 bits (4 MiB), three bits a key.
constexpr std::size_t kFilterBits = std::size_t(1) << 25;
constexpr int kProbes = 3;
// After the key: the side (1 byte) and the order (8).
constexpr std::size_t kSideAndOrder = 9;

void putNumber(std::string& out, std::uint64_t value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& out, const std::string& text) {
    const auto length = static_cast<std::uint32_t>(text.size());
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(text);
}

// Reads back what putNumber and putText wrote, in order.
class Reader {
public:
    explicit Reader(std::string_view bytes)
        : bytes_(bytes) {}
    std::int64_t number() {
        std::int64_t value = 0;
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    std::string text() {
        std::uint32_t length = 0;
        std::memcpy(&length, bytes_.data() + at_, sizeof length);
        at_ += sizeof length;
        std::string value(bytes_.substr(at_, length));
        at_ += length;
        return value;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// Big-endian, so that the bytes sort as the numbers do.
void putOrdered(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

} // namespace

// One key's units of A, kept in the order they came until B's come: in
// memory up to a budget, then in a file, and in memory again after it if
// the file fails.
class UnitSpill::Group {
public:
    explicit Group(std::size_t memory)
        : memory_(memory) {}

    void push(std::string_view unit) {
        if (memoryBytes_ < memory_ && !inFile_) {
            head_.emplace_back(unit);
            memoryBytes_ += unit.size() + sizeof(std::string);
            return;
        }
        std::string record;
        putNumber(record, unit.size());
        record.append(unit);
        if (tail_.empty() && file_.append(record.data(), record.size()))
            inFile_ = true;
        else
            tail_.emplace_back(unit);
    }
    bool pop(std::string& unit) {
        if (!head_.empty())
            return take(head_, unit);
        if (readAt_ < file_.size()) {
            std::uint64_t length = 0;
            const bool read =
                file_.readAt(readAt_, reinterpret_cast<char*>(&length), sizeof length) ==
                    sizeof length &&
                (unit.resize(length), file_.readAt(readAt_ + 8, unit.data(), length) == length);
            readAt_ = read ? readAt_ + std::int64_t(8 + length) : file_.size();
            failed = failed || !read;
            if (read)
                return true;
        }
        return !tail_.empty() && take(tail_, unit);
    }
    // The key's units are all taken: the next key's go after them in the file.
    void clear() {
        head_.clear();
        tail_.clear();
        memoryBytes_ = 0;
        inFile_ = false;
        readAt_ = file_.size();
    }

    bool failed = false;

private:
    static bool take(std::deque<std::string>& from, std::string& unit) {
        unit = std::move(from.front());
        from.pop_front();
        return true;
    }

    const std::size_t memory_;
    std::deque<std::string> head_;
    std::size_t memoryBytes_ = 0;
    bool inFile_ = false;
    TemporaryFile file_;
    std::int64_t readAt_ = 0;
    std::deque<std::string> tail_;
};

UnitSpill::UnitSpill(std::size_t memoryBytes)
    : units_(memoryBytes)
    , groupMemory_(memoryBytes / 4)
    , filter_(kFilterBits / 64, 0) {
}

UnitSpill::~UnitSpill() = default;

std::uint64_t UnitSpill::hashOf(CompareUnit kind, const std::string& key) const {
    return std::hash<std::string>{}(key)*0x9e3779b97f4a7c15ull + std::uint64_t(kind);
}

bool UnitSpill::mayHold(CompareUnit kind, const std::string& key) const {
    const std::uint64_t hash = hashOf(kind, key);
    const std::uint64_t step = (hash >> 32) | 1;
    for (int probe = 0; probe < kProbes; ++probe) {
        const std::uint64_t bit = (hash + std::uint64_t(probe) * step) % kFilterBits;
        if (!(filter_[bit / 64] & (std::uint64_t(1) << (bit % 64))))
            return false;
    }
    return true;
}

void UnitSpill::add(int side, std::uint64_t order, const StreamUnit& unit) {
    const std::uint64_t hash = hashOf(unit.unit, unit.key);
    const std::uint64_t step = (hash >> 32) | 1;
    for (int probe = 0; probe < kProbes; ++probe) {
        const std::uint64_t bit = (hash + std::uint64_t(probe) * step) % kFilterBits;
        filter_[bit / 64] |= std::uint64_t(1) << (bit % 64);
    }
    // Sorted by kind and key (its length first), then A before B, each in the order they came.
    std::string sortKey;
    sortKey.push_back(static_cast<char>(unit.unit));
    putOrdered(sortKey, unit.key.size(), 4);
    sortKey.append(unit.key);
    sortKey.push_back(static_cast<char>(side));
    putOrdered(sortKey, order, 8);
    units_.add(sortKey, encode(unit));
}

bool UnitSpill::pairUp(const Pair& pair, const Alone& alone) {
    // A key's units of A wait for those of B in memory up to a part of the
    // budget, then in a file.
    Group waiting(groupMemory_);
    std::string group;
    std::string partner;
    bool goOn = true;
    auto flush = [&] {
        while (goOn && waiting.pop(partner))
            goOn = alone(0, decode(partner));
        waiting.clear();
    };
    const bool whole = units_.forEach([&](std::string_view key, std::string_view unit) {
        const std::string_view ofKey = key.substr(0, key.size() - kSideAndOrder);
        if (ofKey != group) {
            flush();
            group.assign(ofKey);
        }
        if (key[key.size() - kSideAndOrder] == 0)
            waiting.push(unit);
        else if (waiting.pop(partner))
            goOn = goOn && pair(decode(partner), decode(unit));
        else
            goOn = goOn && alone(1, decode(unit));
        return goOn;
    });
    flush();
    return whole && !waiting.failed;
}

std::string UnitSpill::encode(const StreamUnit& unit) {
    std::string bytes;
    putNumber(bytes, std::uint64_t(unit.unit));
    putText(bytes, unit.key);
    putText(bytes, unit.batchKey);
    putNumber(bytes, std::uint64_t(unit.batchNumber));
    const UnitPlace& place = unit.place;
    for (const std::int64_t number :
         {place.position, place.batch, place.trailer, place.line, place.trailerLine,
          std::int64_t(place.leadingLf), unit.unshown, std::int64_t(unit.unshownDigest),
          unit.scanFrom, unit.scanFromLine, std::int64_t(unit.unreadable)})
        putNumber(bytes, std::uint64_t(number));
    putText(bytes, place.text);
    putText(bytes, unit.name);
    putText(bytes, unit.number);
    return bytes;
}

StreamUnit UnitSpill::decode(std::string_view bytes) {
    Reader read(bytes);
    StreamUnit unit;
    unit.unit = CompareUnit(read.number());
    unit.key = read.text();
    unit.batchKey = read.text();
    unit.batchNumber = read.number();
    UnitPlace& place = unit.place;
    place.position = read.number();
    place.batch = read.number();
    place.trailer = read.number();
    place.line = read.number();
    place.trailerLine = read.number();
    place.leadingLf = static_cast<std::uint8_t>(read.number());
    unit.unshown = read.number();
    unit.unshownDigest = static_cast<std::uint64_t>(read.number());
    unit.scanFrom = read.number();
    unit.scanFromLine = read.number();
    unit.unreadable = read.number() != 0;
    place.text = read.text();
    unit.name = read.text();
    unit.number = read.text();
    return unit;
}

} // namespace qm

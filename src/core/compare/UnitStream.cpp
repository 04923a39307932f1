#include "core/compare/UnitStream.h"

#include "core/check/ChunkPlan.h"
#include "core/check/ChunkReader.h"
#include "core/check/ClaimVisitor.h"
#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimRules.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

#include <chrono>
#include <limits>
#include <unordered_map>

namespace qm {

namespace {

// Units go over in groups of this many, or fewer holding this many bytes
// of records; this many groups may wait.
constexpr std::size_t kGroupUnits = 512;
constexpr std::size_t kGroupBytes = std::size_t(1) << 20;
constexpr std::size_t kGroupsWaiting = 4;

// A chunk as long as any file: one reader reads it all, in order, without a
// first reading to find where its chunks begin.
constexpr std::int64_t kWholeFile = std::numeric_limits<std::int64_t>::max() / 4;

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

// What the claim reader hands the stream: every line, and the records of
// every claim. It follows the file headers and batches through the lines
// and makes units of them.
class UnitStream::Reader : public ClaimVisitor {
public:
    Reader(UnitStream& stream, const LayoutCatalogue& layouts, bool byPosition)
        : stream_(stream)
        , layouts_(layouts)
        , byPosition_(byPosition) {}

    void beginChunk(std::size_t) override {}

    void line(std::string_view line, std::int64_t lineStart) override {
        at_ = lineStart;
        stream_.bytesRead_.store(lineStart, std::memory_order_relaxed);
        // A batch's second line is the line right after its header.
        if (expectBa1_) {
            expectBa1_ = false;
            if (BatchSecondLine::isOne(layouts_, line))
                batch_.records.add(recordTypeIndex("BA1"), 1, line);
        }
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position))
            return;
        const std::string_view type = line.substr(0, 3);
        if (type == "AA0") {
            closeBatch();
            closeHeader();
            open(header_, CompareUnit::FileHeader, position, line);
        } else if (type == "BA0") {
            closeBatch();
            open(batch_, CompareUnit::Batch, position, line);
            // A batch goes by its provider, whatever its tree text shows.
            batch_.number = fieldValue(layouts_, "BA0", "02.0", line);
            if (!byPosition_)
                batch_.key = batch_.number;
            lastBatch_ = {position, batch_.key, batchesOfKey_[batch_.key]++};
            expectBa1_ = true;
        } else if (type == "CA0") {
            starting_.push_back(claimStart(position, line));
        } else if (type == "YA0") {
            if (batch_.place.present() && batch_.place.trailer < 0) {
                batch_.place.trailer = position;
                batch_.records.add(recordTypeIndex("YA0"), 1, line);
                closeBatch();
            }
        } else if (type == "ZA0") {
            closeBatch();
            if (header_.place.present() && header_.place.trailer < 0) {
                header_.place.trailer = position;
                header_.records.add(recordTypeIndex("ZA0"), 1, line);
                closeHeader();
            }
        }
    }

    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override {
        // A record taking an earlier one's place comes with that one's node.
        if (node < records_.size())
            records_.replace(node, typeIndex, occurrence, line);
        else
            records_.add(typeIndex, occurrence, line);
    }

    void endClaim(const PassClaim& claim) override {
        // Every CA0 line begins a claim, and claims end in the order they began.
        Unit unit = std::move(starting_.front());
        starting_.pop_front();
        // A copy just the size of the claim; the buffer stays for the next.
        unit.records = records_;
        records_.clear();
        unit.unreadable = claim.unreadable;
        unit.at = at_;
        stream_.emit(std::move(unit));
    }

    // The end of the file ends the open batch and file header.
    void finish(std::int64_t size) {
        at_ = size;
        closeBatch();
        closeHeader();
    }

private:
    struct BatchSeen {
        std::int64_t position = -1;
        std::string key;
        std::int64_t number = -1;
    };

    void open(Unit& unit, CompareUnit kind, std::int64_t position, std::string_view line) {
        unit = Unit();
        unit.unit = kind;
        unit.place.position = position;
        const char letter = kind == CompareUnit::FileHeader ? 'A' : 'B';
        unit.place.text = textOf(letter, line);
        describe(letter, line, unit.name, unit.number);
        unit.records.add(recordTypeIndex(line.substr(0, 3)), 1, line);
    }

    void close(Unit& unit) {
        if (!unit.place.present())
            return;
        unit.at = at_;
        stream_.emit(std::move(unit));
        unit = Unit();
    }
    void closeBatch() {
        expectBa1_ = false;
        close(batch_);
    }
    void closeHeader() { close(header_); }

    Unit claimStart(std::int64_t position, std::string_view line) const {
        Unit unit;
        unit.place.position = position;
        unit.place.batch = lastBatch_.position;
        unit.place.text = textOf('C', line);
        describe('C', line, unit.name, unit.number);
        unit.batchKey = lastBatch_.key;
        unit.batchNumber = lastBatch_.number;
        if (!byPosition_) {
            // The provider first, its length before it, so that no two pairs run together.
            unit.key = std::to_string(lastBatch_.key.size()) + ':' + lastBatch_.key +
                       fieldValue(layouts_, "CA0", "03.0", line);
        }
        return unit;
    }

    UnitStream& stream_;
    const LayoutCatalogue& layouts_;
    const bool byPosition_;
    std::int64_t at_ = 0;
    Unit header_;
    Unit batch_;
    bool expectBa1_ = false;
    // The batch the claims that begin now belong to: the last batch header,
    // whether or not its YA0 has come.
    BatchSeen lastBatch_;
    std::unordered_map<std::string, std::int64_t> batchesOfKey_;
    std::deque<Unit> starting_; // claims begun whose records are still coming
    UnitRecords records_;       // the records of the claim being read
};

UnitStream::UnitStream(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       bool byPosition, const std::atomic<bool>& cancel)
    : cancel_(cancel)
    , size_(file.size())
    , identityAtStart_(file.identity()) {
    thread_ = std::thread([this, &file, layouts = std::move(layouts), byPosition] {
        read(file, layouts, byPosition);
    });
}

UnitStream::~UnitStream() {
    {
        // Nothing more will be taken: a reading waiting for room stops.
        const std::lock_guard<std::mutex> lock(mutex_);
        groups_.clear();
        ended_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void UnitStream::read(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                      bool byPosition) {
    {
        const ChunkPlan plan(file, kWholeFile);
        const ClaimRules rules(layouts);
        Reader reader(*this, *layouts, byPosition);
        const ChunkReader::Settings settings{true, {}};
        ChunkReader claims(file, plan, rules, reader, settings);
        claims.read(0, cancel_);
        if (!cancel_)
            reader.finish(size_ + 1);
    }
    identityAtEnd_ = file.identity();
    handOver();
    end();
}

void UnitStream::emit(Unit&& unit) {
    switch (unit.unit) {
    case CompareUnit::FileHeader:
        ++counts_.headers;
        break;
    case CompareUnit::Batch:
        ++counts_.batches;
        break;
    case CompareUnit::Claim:
        ++counts_.claims;
        break;
    }
    fillingBytes_ += unit.records.bytes();
    filling_.push_back(std::move(unit));
    if (filling_.size() >= kGroupUnits || fillingBytes_ >= kGroupBytes)
        handOver();
}

void UnitStream::handOver() {
    if (filling_.empty())
        return;
    std::unique_lock<std::mutex> lock(mutex_);
    while (groups_.size() >= kGroupsWaiting && !ended_ && !cancel_)
        changed_.wait_for(lock, std::chrono::milliseconds(10));
    if (!ended_ && !cancel_)
        groups_.push_back(std::move(filling_));
    filling_.clear();
    fillingBytes_ = 0;
    lock.unlock();
    changed_.notify_all();
}

void UnitStream::end() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

UnitStream::Unit* UnitStream::next() {
    if (takeAt_ < taking_.size())
        return &taking_[takeAt_++];
    taking_.clear();
    takeAt_ = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (groups_.empty() && !ended_ && !cancel_)
        changed_.wait_for(lock, std::chrono::milliseconds(10));
    if (groups_.empty() || cancel_)
        return nullptr;
    taking_ = std::move(groups_.front());
    groups_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return &taking_[takeAt_++];
}

} // namespace qm

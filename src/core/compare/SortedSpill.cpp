#include "core/compare/SortedSpill.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <queue>

namespace qm {

namespace {

// Runs merged at once; more are merged in steps, each into a longer run.
constexpr std::size_t kMaxRunsMerged = 64;
// What a cursor reads from its run at once.
constexpr std::size_t kReadBlock = std::size_t(1) << 16;
constexpr std::size_t kHeader = 2 * sizeof(std::uint32_t);

bool keyBefore(std::string_view x, std::string_view y) {
    const int order = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
    return order < 0 || (order == 0 && x.size() < y.size());
}

void putLength(std::string& out, std::size_t n) {
    const auto value = static_cast<std::uint32_t>(n);
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::uint32_t getLength(const char* at) {
    std::uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

// The records of one run in order: a run in the file, read a block at a
// time, or what memory holds, sorted.
class SortedSpill::Cursor {
public:
    Cursor(const TemporaryFile& file, const Run& run)
        : file_(&file)
        , at_(run.offset)
        , end_(run.offset + run.length) {}
    Cursor(const SortedSpill& spill)
        : spill_(&spill) {}

    // The next record; false at the end or when it could not be read (failed()).
    bool next() {
        if (spill_) {
            if (item_ >= spill_->items_.size())
                return false;
            const Item& item = spill_->items_[item_++];
            key = std::string_view(spill_->arena_).substr(item.offset, item.keyLength);
            payload = std::string_view(spill_->arena_)
                          .substr(item.offset + item.keyLength, item.payloadLength);
            return true;
        }
        if (!fill(kHeader))
            return false;
        const std::size_t keyLength = getLength(buffer_.data() + used_);
        const std::size_t payloadLength = getLength(buffer_.data() + used_ + 4);
        if (!fill(kHeader + keyLength + payloadLength))
            return false;
        key = std::string_view(buffer_).substr(used_ + kHeader, keyLength);
        payload = std::string_view(buffer_).substr(used_ + kHeader + keyLength, payloadLength);
        used_ += kHeader + keyLength + payloadLength;
        return true;
    }
    bool failed() const { return failed_; }

    std::string_view key;
    std::string_view payload;

private:
    // Makes n bytes from the current one lie in the buffer.
    bool fill(std::size_t n) {
        if (buffer_.size() - used_ >= n)
            return true;
        buffer_.erase(0, used_);
        used_ = 0;
        const std::size_t have = buffer_.size();
        const std::size_t want =
            std::min<std::size_t>(std::max(n - have, kReadBlock), std::size_t(end_ - at_));
        if (have + want < n) {
            // The run ends here; inside a record, the file was not read back whole.
            failed_ = have != 0 || at_ != end_;
            return false;
        }
        buffer_.resize(have + want);
        const std::size_t got = file_->readAt(at_, buffer_.data() + have, want);
        at_ += std::int64_t(got);
        buffer_.resize(have + got);
        if (got < want || buffer_.size() < n) {
            failed_ = true;
            return false;
        }
        return true;
    }

    const TemporaryFile* file_ = nullptr;
    std::int64_t at_ = 0;
    std::int64_t end_ = 0;
    std::string buffer_;
    std::size_t used_ = 0;
    const SortedSpill* spill_ = nullptr;
    std::size_t item_ = 0;
    bool failed_ = false;
};

SortedSpill::SortedSpill(std::size_t memoryBytes)
    : memoryBytes_(memoryBytes) {
}

SortedSpill::~SortedSpill() = default;

void SortedSpill::add(std::string_view key, std::string_view payload) {
    items_.push_back({arena_.size(), static_cast<std::uint32_t>(key.size()),
                      static_cast<std::uint32_t>(payload.size())});
    arena_.append(key);
    arena_.append(payload);
    if (arena_.size() + items_.size() * sizeof(Item) > memoryBytes_ && !file_.failed())
        flush();
}

bool SortedSpill::flush() {
    std::stable_sort(items_.begin(), items_.end(), [this](const Item& x, const Item& y) {
        return keyBefore(std::string_view(arena_).substr(x.offset, x.keyLength),
                         std::string_view(arena_).substr(y.offset, y.keyLength));
    });
    std::string block;
    const std::int64_t start = file_.size();
    for (const Item& item : items_) {
        putLength(block, item.keyLength);
        putLength(block, item.payloadLength);
        block.append(arena_, item.offset, std::size_t(item.keyLength) + item.payloadLength);
        if (block.size() >= kReadBlock) {
            if (!file_.append(block.data(), block.size()))
                return false; // kept in memory, sorted
            block.clear();
        }
    }
    if (!file_.append(block.data(), block.size()))
        return false;
    runs_.push_back({start, file_.size() - start});
    items_.clear();
    arena_.clear();
    return true;
}

bool SortedSpill::merge(const std::vector<Run>& runs, bool withMemory, const Visit& visit) {
    std::vector<std::unique_ptr<Cursor>> cursors;
    for (const Run& run : runs)
        cursors.push_back(std::make_unique<Cursor>(file_, run));
    if (withMemory)
        cursors.push_back(std::make_unique<Cursor>(*this));
    // The smallest key first; of equal keys, the earlier run's.
    auto after = [&cursors](std::size_t x, std::size_t y) {
        const std::string_view a = cursors[x]->key;
        const std::string_view b = cursors[y]->key;
        return keyBefore(b, a) || (!keyBefore(a, b) && y < x);
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(after)> order(after);
    for (std::size_t i = 0; i < cursors.size(); ++i)
        if (cursors[i]->next())
            order.push(i);
    while (!order.empty()) {
        const std::size_t i = order.top();
        order.pop();
        if (!visit(cursors[i]->key, cursors[i]->payload))
            break;
        if (cursors[i]->next())
            order.push(i);
    }
    return std::none_of(cursors.begin(), cursors.end(),
                        [](const std::unique_ptr<Cursor>& cursor) { return cursor->failed(); });
}

bool SortedSpill::forEach(const Visit& visit) {
    std::stable_sort(items_.begin(), items_.end(), [this](const Item& x, const Item& y) {
        return keyBefore(std::string_view(arena_).substr(x.offset, x.keyLength),
                         std::string_view(arena_).substr(y.offset, y.keyLength));
    });
    bool whole = true;
    // Too many runs to read at once: the first ones merged into one, until few are left.
    while (runs_.size() + 1 > kMaxRunsMerged && !file_.failed()) {
        const std::vector<Run> first(runs_.begin(), runs_.begin() + kMaxRunsMerged);
        std::string block;
        const std::int64_t start = file_.size();
        bool written = true;
        whole = merge(first, false,
                      [&](std::string_view key, std::string_view payload) {
                          putLength(block, key.size());
                          putLength(block, payload.size());
                          block.append(key).append(payload);
                          if (block.size() >= kReadBlock) {
                              written = written && file_.append(block.data(), block.size());
                              block.clear();
                          }
                          return true;
                      }) &&
                whole;
        written = written && file_.append(block.data(), block.size());
        if (!written)
            break; // the runs are still there: all of them are merged at once
        runs_.erase(runs_.begin(), runs_.begin() + kMaxRunsMerged);
        runs_.insert(runs_.begin(), {start, file_.size() - start});
    }
    return merge(runs_, true, visit) && whole;
}

} // namespace qm

#include "core/compare/UnitStream.h"

#include "core/compare/UnitScanner.h"
#include "core/io/SequentialFile.h"

#include <chrono>

namespace qm {

namespace {

// Units go over in groups of this many, or fewer holding this many bytes
// of records; this many groups may wait.
constexpr std::size_t kGroupUnits = 512;
constexpr std::size_t kGroupBytes = std::size_t(1) << 20;
constexpr std::size_t kGroupsWaiting = 4;
// How often the reading looks whether it was cancelled.
constexpr std::int64_t kLinesBetweenCancelChecks = 4096;

} // namespace

// What the scanner hands the stream: each unit as it is complete.
class UnitStream::Handing : public UnitScanner::Listener {
public:
    explicit Handing(UnitStream& stream)
        : stream_(stream) {}
    void unit(StreamUnit&& unit) override { stream_.emit(std::move(unit)); }

private:
    UnitStream& stream_;
};

UnitStream::UnitStream(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       bool byPosition, std::uint64_t seed, const std::atomic<bool>& cancel)
    : cancel_(cancel)
    , size_(file.size())
    , identityAtStart_(file.identity()) {
    thread_ = std::thread([this, &file, layouts = std::move(layouts), byPosition, seed] {
        read(file, layouts, byPosition, seed);
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
                      bool byPosition, std::uint64_t seed) {
    {
        SequentialFile lines;
        lines.openSame(file);
        Handing handing(*this);
        UnitScanner scanner(std::move(layouts), byPosition, seed, lines, handing);
        std::int64_t n = 0;
        bool stopped = false;
        lines.forEachLine([&](std::string_view line, std::int64_t lineStart) {
            if (n++ % kLinesBetweenCancelChecks == 0 && cancel_.load(std::memory_order_relaxed)) {
                stopped = true;
                return false;
            }
            bytesRead_.store(lineStart, std::memory_order_relaxed);
            scanner.line(line, lineStart, lines.lastLineCut(), lines.position());
            return true;
        });
        if (!stopped && !cancel_)
            scanner.finish(size_ + 1, lines.size() < size_);
        counts_.lines = scanner.lines();
        counts_.fileUnshown = scanner.fileUnshown();
        counts_.fileUnshownDigest = scanner.fileUnshownDigest();
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
    case CompareUnit::Line:
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
    filling_.reserve(kGroupUnits);
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

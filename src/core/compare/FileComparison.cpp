#include "core/compare/FileComparison.h"

#include "core/compare/UnitComparer.h"
#include "core/compare/UnitReader.h"
#include "core/compare/UnitStream.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace qm {

namespace {

constexpr int kUnitKinds = 3;
// The progress is told once in this many units.
constexpr int kUnitsBetweenProgress = 256;

// One file's units that wait for their partner from the other file, in the
// order they came; those of one kind and key queue in that order.
class Waiting {
public:
    struct Entry {
        UnitStream::Unit unit;
        std::size_t bytes = 0;  // of its records
        bool kept = true;       // it still has its records
        std::uint64_t next = 0; // the next entry of its kind and key; 0: none
    };

    void add(UnitStream::Unit&& unit) {
        const std::uint64_t id = nextId_++;
        const std::size_t bytes = unit.records.bytes();
        auto& queue = byKey_[static_cast<std::size_t>(unit.unit)];
        const auto [found, added] = queue.try_emplace(unit.key, id, id);
        if (!added) {
            entries_[found->second.second].next = id;
            found->second.second = id;
        }
        entries_.emplace(id, Entry{std::move(unit), bytes, true, 0});
        kept_ += bytes;
    }

    // The first waiting unit of this kind and key, taken out.
    std::optional<Entry> take(CompareUnit kind, const std::string& key) {
        auto& queue = byKey_[static_cast<std::size_t>(kind)];
        const auto found = queue.find(key);
        if (found == queue.end())
            return std::nullopt;
        const auto entry = entries_.find(found->second.first);
        Entry taken = std::move(entry->second);
        entries_.erase(entry);
        if (taken.next)
            found->second.first = taken.next;
        else
            queue.erase(found);
        if (taken.kept)
            kept_ -= taken.bytes;
        return taken;
    }

    // Lets the records of the oldest entry that keeps any go; false when none does.
    bool letOldestGo() {
        for (auto it = entries_.lower_bound(keptFrom_); it != entries_.end(); ++it) {
            keptFrom_ = it->first + 1;
            if (!it->second.kept || it->second.bytes == 0)
                continue;
            kept_ -= it->second.bytes;
            it->second.kept = false;
            it->second.unit.records.release();
            return true;
        }
        return false;
    }

    std::size_t kept() const { return kept_; }
    // Every entry left, in the order they came.
    std::map<std::uint64_t, Entry>& entries() { return entries_; }

private:
    std::map<std::uint64_t, Entry> entries_;
    // By kind, then key: the first and last entry of each queue.
    std::array<std::unordered_map<std::string, std::pair<std::uint64_t, std::uint64_t>>, kUnitKinds>
        byKey_;
    std::uint64_t nextId_ = 1;
    std::uint64_t keptFrom_ = 1; // entries before it keep no records
    std::size_t kept_ = 0;
};

// Pairs the units of the two files as they come, and compares each pair.
class Pairing {
public:
    Pairing(const FileComparison::File& a, const FileComparison::File& b,
            const FileComparison::Options& options, FileComparison::Summary& summary,
            const std::function<void(Difference&&)>& onDifference)
        : comparer_(a.layouts, b.layouts)
        , layouts_{a.layouts, b.layouts}
        , files_{&a.file, &b.file}
        , options_(options)
        , summary_(summary)
        , onDifference_(onDifference) {}

    void take(int side, UnitStream::Unit&& unit) {
        if (unit.unreadable)
            changed(side);
        std::optional<Waiting::Entry> partner = waiting_[1 - side].take(unit.unit, unit.key);
        if (!partner) {
            waiting_[side].add(std::move(unit));
            while (waiting_[0].kept() + waiting_[1].kept() > options_.keptBytes)
                if (!waiting_[waiting_[0].kept() >= waiting_[1].kept() ? 0 : 1].letOldestGo())
                    break;
            return;
        }
        if (side == 0)
            compare(unit, true, partner->unit, partner->kept);
        else
            compare(partner->unit, partner->kept, unit, true);
    }

    // What is left waiting is only in its file.
    void finish() {
        for (int side = 0; side < 2; ++side) {
            // In file order: a batch before its claims, though it ended after them.
            std::vector<UnitStream::Unit*> left;
            for (auto& [id, entry] : waiting_[side].entries())
                left.push_back(&entry.unit);
            std::sort(left.begin(), left.end(), [](const auto* x, const auto* y) {
                return x->place.position < y->place.position;
            });
            for (UnitStream::Unit* leftUnit : left) {
                UnitStream::Unit& unit = *leftUnit;
                Difference difference;
                difference.unit = unit.unit;
                difference.kind = side == 0 ? DifferenceKind::Removed : DifferenceKind::Added;
                (side == 0 ? difference.a : difference.b) = std::move(unit.place);
                difference.name = std::move(unit.name);
                difference.number = std::move(unit.number);
                emit(std::move(difference));
            }
        }
    }

private:
    void changed(int side) { (side == 0 ? summary_.changedA : summary_.changedB) = true; }

    // A unit's records, read again when they were let go.
    void recall(int side, UnitStream::Unit& unit, bool kept) {
        if (kept)
            return;
        if (!readers_[side]) {
            readers_[side] = std::make_unique<SequentialFile>();
            readers_[side]->openSame(*files_[side]);
        }
        if (!UnitReader::read(*readers_[side], layouts_[side], unit.unit, unit.place, unit.records))
            changed(side);
    }

    void compare(UnitStream::Unit& a, bool aKept, UnitStream::Unit& b, bool bKept) {
        recall(0, a, aKept);
        recall(1, b, bKept);
        Difference difference;
        difference.fields = comparer_.changes(a.records, b.records);
        if (a.unit == CompareUnit::Claim &&
            (a.batchKey != b.batchKey || a.batchNumber != b.batchNumber))
            difference.kind = DifferenceKind::Moved;
        else if (difference.fields.empty())
            return;
        difference.unit = a.unit;
        difference.a = std::move(a.place);
        difference.b = std::move(b.place);
        difference.name = std::move(a.name);
        difference.number = std::move(a.number);
        emit(std::move(difference));
    }

    void emit(Difference&& difference) {
        ++summary_.differences[static_cast<std::size_t>(difference.unit)]
                              [static_cast<std::size_t>(difference.kind)];
        onDifference_(std::move(difference));
    }

    UnitComparer comparer_;
    std::array<std::shared_ptr<const LayoutCatalogue>, 2> layouts_;
    std::array<const SequentialFile*, 2> files_;
    std::array<std::unique_ptr<SequentialFile>, 2> readers_;
    const FileComparison::Options& options_;
    FileComparison::Summary& summary_;
    const std::function<void(Difference&&)>& onDifference_;
    std::array<Waiting, 2> waiting_;
};

std::array<std::int64_t, 3> unitCounts(const UnitStream::Counts& counts) {
    return {counts.headers, counts.batches, counts.claims};
}

} // namespace

std::int64_t FileComparison::Summary::count(CompareUnit unit) const {
    std::int64_t n = 0;
    for (const std::int64_t kind : differences[static_cast<std::size_t>(unit)])
        n += kind;
    return n;
}

std::int64_t FileComparison::Summary::total() const {
    return count(CompareUnit::FileHeader) + count(CompareUnit::Batch) + count(CompareUnit::Claim);
}

FileComparison::Summary FileComparison::run(const File& a, const File& b, const Options& options,
                                            const std::function<void(Difference&&)>& onDifference) {
    Summary summary;
    std::atomic<bool> cancel{false};
    const bool byPosition = options.match == Match::Position;
    Pairing pairing(a, b, options, summary, onDifference);
    UnitStream streamA(a.file, a.layouts, byPosition, cancel);
    UnitStream streamB(b.file, b.layouts, byPosition, cancel);
    const std::array<UnitStream*, 2> streams{&streamA, &streamB};
    const std::int64_t sizeA = std::max<std::int64_t>(streamA.size(), 1);
    const std::int64_t sizeB = std::max<std::int64_t>(streamB.size(), 1);
    const std::int64_t total = streamA.size() + streamB.size();
    auto goOn = [&](std::int64_t done) {
        if (!options.progress || options.progress(done, total))
            return true;
        cancel = true;
        return false;
    };

    // Whichever file is behind, by the share of it read, goes next: the
    // order depends on the files alone, and units that pair come close together.
    std::array<UnitStream::Unit*, 2> next{streamA.next(), streamB.next()};
    for (std::int64_t taken = 1; next[0] || next[1]; ++taken) {
        const int side = !next[1]   ? 0
                         : !next[0] ? 1
                         : static_cast<long double>(next[0]->at) * sizeB <=
                                 static_cast<long double>(next[1]->at) * sizeA
                             ? 0
                             : 1;
        pairing.take(side, std::move(*next[side]));
        next[side] = streams[side]->next();
        if (taken % kUnitsBetweenProgress == 0 && !goOn(streamA.bytesRead() + streamB.bytesRead()))
            break;
    }
    if (cancel) {
        summary.cancelled = true;
        return summary;
    }
    pairing.finish();
    summary.unitsA = unitCounts(streamA.counts());
    summary.unitsB = unitCounts(streamB.counts());
    summary.changedA = summary.changedA || streamA.fileChanged();
    summary.changedB = summary.changedB || streamB.fileChanged();
    goOn(total);
    return summary;
}

} // namespace qm

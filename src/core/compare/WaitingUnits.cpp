#include "core/compare/WaitingUnits.h"

namespace qm {

namespace {

// A string's memory beyond its own bytes: none while it fits in place.
std::size_t heapOf(const std::string& text) {
    return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

// The nodes of the map of entries and of the queue of a key, with their keeping.
constexpr std::size_t kEntryOverhead = 160;

} // namespace

std::size_t WaitingUnits::footprintOf(const StreamUnit& unit) {
    return sizeof(Entry) + kEntryOverhead + 2 * heapOf(unit.key) + heapOf(unit.batchKey) +
           heapOf(unit.place.text) + heapOf(unit.name) + heapOf(unit.number);
}

void WaitingUnits::add(std::uint64_t order, StreamUnit&& unit) {
    const std::size_t bytes = unit.records.footprint();
    const std::size_t footprint = footprintOf(unit);
    auto& queue = byKey_[static_cast<std::size_t>(unit.unit)];
    const auto [found, added] = queue.try_emplace(unit.key, order, order);
    if (!added) {
        entries_[found->second.second].next = order;
        found->second.second = order;
    }
    entries_.emplace(order, Entry{std::move(unit), bytes, footprint, true, 0});
    kept_ += bytes;
    footprint_ += footprint;
}

WaitingUnits::Entry WaitingUnits::takeEntry(std::map<std::uint64_t, Entry>::iterator entry) {
    Entry taken = std::move(entry->second);
    entries_.erase(entry);
    if (taken.kept)
        kept_ -= taken.bytes;
    footprint_ -= taken.footprint;
    return taken;
}

std::optional<WaitingUnits::Entry> WaitingUnits::take(CompareUnit kind, const std::string& key) {
    auto& queue = byKey_[static_cast<std::size_t>(kind)];
    const auto found = queue.find(key);
    if (found == queue.end())
        return std::nullopt;
    Entry taken = takeEntry(entries_.find(found->second.first));
    if (taken.next)
        found->second.first = taken.next;
    else
        queue.erase(found);
    return taken;
}

bool WaitingUnits::letOldestGo() {
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

std::vector<std::pair<std::uint64_t, WaitingUnits::Entry>> WaitingUnits::takeOldestKey() {
    std::vector<std::pair<std::uint64_t, Entry>> taken;
    if (entries_.empty())
        return taken;
    const StreamUnit& oldest = entries_.begin()->second.unit;
    auto& queue = byKey_[static_cast<std::size_t>(oldest.unit)];
    const auto found = queue.find(oldest.key);
    for (std::uint64_t order = found->second.first; order;) {
        Entry entry = takeEntry(entries_.find(order));
        const std::uint64_t next = entry.next;
        taken.emplace_back(order, std::move(entry));
        order = next;
    }
    queue.erase(found);
    return taken;
}

} // namespace qm

#pragma once

#include "core/compare/StreamUnit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm {

// One file's units that wait for their partner from the other file, in the
// order they came; those of one kind and key queue in that order. It tells
// how much memory they hold: their records, which may be let go (and read
// again when the partner comes), and the rest.
class WaitingUnits {
public:
    struct Entry {
        StreamUnit unit;
        std::size_t bytes = 0;     // memory of its records
        std::size_t footprint = 0; // memory of the rest
        bool kept = true;          // it still has its records
        std::uint64_t next = 0;    // the next entry of its kind and key; 0: none
    };

    // order: when it came, higher than any before (never 0).
    void add(std::uint64_t order, StreamUnit&& unit);
    // The first waiting unit of this kind and key, taken out.
    std::optional<Entry> take(CompareUnit kind, const std::string& key);
    // Lets the records of the oldest entry that keeps any go; false when none does.
    bool letOldestGo();
    // Takes out the oldest entry and every other of its kind and key, each
    // with when it came, in that order; none when nothing waits.
    std::vector<std::pair<std::uint64_t, Entry>> takeOldestKey();

    std::size_t kept() const { return kept_; }
    std::size_t footprint() const { return footprint_; }
    bool empty() const { return entries_.empty(); }
    // Every entry left, in the order they came.
    std::map<std::uint64_t, Entry>& entries() { return entries_; }

    // Memory a unit holds besides its records, about.
    static std::size_t footprintOf(const StreamUnit& unit);

private:
    Entry takeEntry(std::map<std::uint64_t, Entry>::iterator entry);

    std::map<std::uint64_t, Entry> entries_;
    // By kind, then key: the first and last entry of each queue.
    std::array<std::unordered_map<std::string, std::pair<std::uint64_t, std::uint64_t>>, 3> byKey_;
    std::uint64_t keptFrom_ = 1; // entries before it keep no records
    std::size_t kept_ = 0;
    std::size_t footprint_ = 0;
};

} // namespace qm

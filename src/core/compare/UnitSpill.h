#pragma once

#include "core/compare/SortedSpill.h"
#include "core/compare/StreamUnit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The units of a comparison that wait outside memory: once more wait than
// its budget holds (a file with a million claims the other lacks), whole
// keys of them are written out, and every later unit of those keys goes
// after them, so that each key's units still pair in the order they came.
// At the end the spill is sorted by key and each key's units of the two
// files are paired there; the rest are only in their file. Units go
// without their records, which are read again for a pair.
class UnitSpill {
public:
    explicit UnitSpill(std::size_t memoryBytes);
    ~UnitSpill();

    // Whether units of this kind and key may be in the spill: never false
    // for one that is, now and then true for one that is not.
    bool mayHold(CompareUnit kind, const std::string& key) const;
    // A unit of file `side` (0: A, 1: B) that came as the order-th.
    void add(int side, std::uint64_t order, const StreamUnit& unit);

    // Each returns false to stop.
    using Pair = std::function<bool(StreamUnit&& a, StreamUnit&& b)>;
    using Alone = std::function<bool(int side, StreamUnit&& unit)>;
    // Every key's units, the nth of A with the nth of B, in the order of
    // their keys; those without a partner to alone. False when the spill
    // could not be read back whole.
    bool pairUp(const Pair& pair, const Alone& alone);

    // A unit without its records as bytes, and back.
    static std::string encode(const StreamUnit& unit);
    static StreamUnit decode(std::string_view bytes);

private:
    class Group;
    std::uint64_t hashOf(CompareUnit kind, const std::string& key) const;

    SortedSpill units_;
    const std::size_t groupMemory_;
    std::vector<std::uint64_t> filter_; // bits of the keys written out
};

} // namespace qm

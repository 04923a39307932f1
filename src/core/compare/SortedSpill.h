#pragma once

#include "core/io/TemporaryFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Records of a key and a payload, handed back sorted by key (bytes compared
// as unsigned, a key before those it begins; equal keys in the order they
// were added). They are kept in memory up to a budget and beyond it in
// sorted runs in a temporary file, merged as they are read back, so that
// sorting any number of them takes about the budget of memory. Without a
// temporary file (none can be made, the disk is full) they stay in memory.
class SortedSpill {
public:
    explicit SortedSpill(std::size_t memoryBytes);
    ~SortedSpill();
    SortedSpill(const SortedSpill&) = delete;
    SortedSpill& operator=(const SortedSpill&) = delete;

    void add(std::string_view key, std::string_view payload);
    bool empty() const { return items_.empty() && runs_.empty(); }

    // The views last until the visit returns; a visit that returns false
    // stops the reading.
    using Visit = std::function<bool(std::string_view key, std::string_view payload)>;
    // Hands back every record in order, once; false when the temporary
    // file could not be read back, so that some were not handed back.
    bool forEach(const Visit& visit);

private:
    struct Item {
        std::size_t offset; // in arena_: the key, then the payload
        std::uint32_t keyLength;
        std::uint32_t payloadLength;
    };
    struct Run {
        std::int64_t offset;
        std::int64_t length;
    };
    class Cursor;

    // Sorts what memory holds and writes it as a run; false when it could not.
    bool flush();
    // Merges runs (and what memory holds, when withMemory) in order.
    bool merge(const std::vector<Run>& runs, bool withMemory, const Visit& visit);

    const std::size_t memoryBytes_;
    std::string arena_;
    std::vector<Item> items_;
    std::vector<Run> runs_;
    TemporaryFile file_;
};

} // namespace qm

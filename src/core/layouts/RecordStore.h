#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The records one click has read, by record type and occurrence. Each click
// starts with an empty store, so a node whose record the click could not read
// shows nothing rather than what an earlier click (perhaps of another file)
// left behind.
class RecordStore {
public:
    // Lines are kept up to the furthest column any map can name; the rest
    // would only cost memory.
    static constexpr std::size_t kMaxStoredLine = 64 * 1024;

    struct Slot {
        std::string line;
        bool cut = false; // the line was longer than kMaxStoredLine
        bool written = false;
    };

    void put(int typeIndex, int occurrence, std::string_view line);
    // The slot, or nullptr for one this store was never given.
    const Slot* get(int typeIndex, int occurrence) const;

private:
    std::vector<Slot> slots_; // record types x occurrences 1 to 99, made on first use
};

} // namespace qm

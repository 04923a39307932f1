#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;

// The records the claim clicks have read, by record type and occurrence: what
// a click leaves for the next. A click shows only what it read itself, except
// where a record could not be read again (the file changed under the tree):
// its node then shows what the store held. Lines outlive a map load; the
// values cut from them belong to the layouts they were cut by.
class RecordStore {
public:
    // Lines are kept up to the furthest column any map can name; the rest
    // would only cost memory.
    static constexpr std::size_t kMaxStoredLine = 64 * 1024;

    struct Slot {
        std::string line;
        bool cut = false; // the line was longer than kMaxStoredLine
        // The layouts the slot's values were cut by; null while none were.
        const LayoutCatalogue* valuesFrom = nullptr;
    };

    void put(int typeIndex, int occurrence, std::string_view line, const LayoutCatalogue* layouts);
    // The slot, or nullptr for one never written.
    const Slot* get(int typeIndex, int occurrence) const;

private:
    std::vector<Slot> slots_; // record types x occurrences 1 to 99, made on first use
};

} // namespace qm

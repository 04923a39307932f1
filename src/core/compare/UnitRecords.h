#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The records of one unit as they are compared: each record's type, its
// occurrence in the unit and its line as read (up to
// RecordStore::kMaxStoredLine characters, as a click keeps it). The lines
// lie together in one buffer: a claim is two blocks of memory, whatever
// its records.
class UnitRecords {
public:
    struct Record {
        int typeIndex = -1;
        int occurrence = 1;
        std::string_view line; // valid while the records are neither changed nor moved
    };

    void add(int typeIndex, int occurrence, std::string_view line);
    // The record at index (< size()) gives way to this one.
    void replace(std::size_t index, int typeIndex, int occurrence, std::string_view line);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    Record operator[](std::size_t index) const;
    // Bytes of the lines held.
    std::size_t bytes() const { return text_.size(); }

    // Empties the records, keeping the memory for the next ones.
    void clear();
    // Empties them and lets their memory go.
    void release();

private:
    struct Entry {
        int typeIndex;
        int occurrence;
        std::size_t offset;
        std::size_t length;
    };
    std::string text_;
    std::vector<Entry> entries_;
};

} // namespace qm

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The records of one unit as they are compared: each record's type, its
// occurrence in the unit, its line as read (up to
// RecordStore::kMaxStoredLine characters, as a click keeps it) and where
// the line is. The lines lie together in one buffer: a claim is two blocks
// of memory, whatever its records.
class UnitRecords {
public:
    // Where a record's line is, and what of it the record does not keep.
    struct Where {
        std::int64_t line = 0;     // its line number
        std::int64_t position = 0; // where its line begins
        // 0 when the record is its whole line; else a digest of the rest:
        // a line feed before it, what lies beyond the characters kept.
        std::uint64_t rest = 0;
    };

    struct Record {
        int typeIndex = -1;
        int occurrence = 1;
        std::string_view line; // valid while the records are neither changed nor moved
        Where where;

        // The two records' lines are the same, whole.
        bool sameLine(const Record& other) const {
            return where.rest == other.where.rest && line == other.line;
        }
    };

    void add(int typeIndex, int occurrence, std::string_view line, const Where& where);
    // The record at index (< size()) gives way to this one (views of the
    // records are then no longer valid).
    void replace(std::size_t index, int typeIndex, int occurrence, std::string_view line,
                 const Where& where);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    Record operator[](std::size_t index) const;
    // Bytes of the lines held.
    std::size_t bytes() const { return text_.size(); }
    // Bytes of memory held, the lines with the rest.
    std::size_t footprint() const { return text_.capacity() + entries_.capacity() * sizeof(Entry); }

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
        Where where;
    };
    std::string text_;
    std::vector<Entry> entries_;
    std::size_t live_ = 0; // bytes of the lines the entries name
};

} // namespace qm

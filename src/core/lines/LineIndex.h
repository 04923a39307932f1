#pragma once

#include "core/check/Problem.h"
#include "core/common/ProgressControl.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;

// A claim file's raw lines, found by number or by byte without a copy of the
// file in memory: one scan keeps where every kth line starts, and a line is
// read on demand from the nearest kept start. Lines are the engine's own
// (SequentialFile: they end at CR or CR LF), so line numbers agree with the
// whole-file check's. Once built, any thread may read lines from the index
// at the same time: each reading goes through a reader of its own.
class LineIndex {
public:
    // What a line is, by the whole-file check's rules.
    enum class Kind : std::uint8_t {
        Record,                 // a record of one of the 32 types
        ShortLine,              // too short to be a record, not the last line
        CutLastLine,            // the last line, too short to be a record
        UnknownRecordType,      // long enough, but of none of the 32 types
        RecordAfterFileTrailer, // a record after the first ZA0
    };

    struct Line {
        std::int64_t number = 0;   // 1-based
        std::int64_t position = 0; // 1-based byte position of its first byte
        std::string bytes;         // without its line end, cut at SequentialFile::kMaxLineLength
        bool cut = false;          // longer than that
        // Where its record begins: 1 for a line that begins with an LF, which
        // is not the record's (the line rule of RecordLine.h), else 0.
        std::size_t recordStart = 0;
        int typeIndex = -1; // of the 32 record types; -1 for none
        // Whether the file's layouts define fields for its type.
        bool inLayouts = false;
        Kind kind = Kind::ShortLine;

        // The first three bytes of its record (fewer for a shorter line).
        std::string_view type() const {
            return std::string_view(bytes).substr(std::min(recordStart, bytes.size()), 3);
        }
    };

    static constexpr std::int64_t kDefaultSpacing = 256;

    // Scans file (through a reader of its own; file itself is not moved),
    // keeping every spacing-th line start; reports the bytes read in control
    // when given one. False when the file could not be opened again or
    // control.cancel was set before the end; the index is then empty.
    bool build(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
               ProgressControl* control = nullptr, std::int64_t spacing = kDefaultSpacing);

    std::int64_t lineCount() const { return lineCount_; }
    // The file's size when it was scanned.
    std::int64_t size() const { return size_; }
    // The line of the first ZA0 record; 0 for none.
    std::int64_t fileTrailerLine() const { return fileTrailerLine_; }

    // Reads line number into line; false when the file has no such line
    // (or can no longer be read).
    bool read(std::int64_t number, Line& line) const;
    // The number of the line that holds the 1-based byte position (its line
    // end included); 0 beyond the file's end.
    std::int64_t lineAt(std::int64_t position) const;
    // Calls visit(line) for up to count lines from line number from on;
    // stops early when visit returns false. Returns the lines visited.
    std::int64_t forEach(std::int64_t from, std::int64_t count,
                         const std::function<bool(const Line&)>& visit) const;

    // What the check calls a line of this kind; false for a record.
    static bool problemKind(Kind kind, Problem::Kind& problem);

private:
    // Opens a reader of its own at the kept start at or before line number
    // and returns the number of the line it stands at; 0 when it cannot.
    std::int64_t seekNear(SequentialFile& reader, std::int64_t number) const;
    void describe(std::string_view text, std::int64_t number, std::int64_t position,
                  Line& line) const;

    SequentialFile file_; // the file scanned, for readers of its own
    std::shared_ptr<const LayoutCatalogue> layouts_;
    std::int64_t spacing_ = kDefaultSpacing;
    std::vector<std::int64_t> starts_; // of lines 1, 1 + spacing, 1 + 2 spacing, ...
    std::int64_t lineCount_ = 0;
    std::int64_t size_ = 0;
    std::int64_t fileTrailerLine_ = 0;
};

} // namespace qm

#pragma once

#include "core/check/Problem.h"
#include "core/common/ProgressControl.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;

// A claim file's raw lines, found by number or by byte without a copy of the
// file in memory: one scan keeps where every kth line starts, and a line is
// read on demand from the nearest kept start. Lines are the engine's own
// (SequentialFile: they end at CR or CR LF, and at LF too where the file is
// read with LF line ends), so line numbers agree with the whole-file check's.
// The lines scanned so far can be read while the scan goes on: one thread
// scans, and any thread may read at the same time, each reading through a
// reader of its own. The scan publishes how far it has come (release) and
// readers look no further (acquire); what it keeps is never moved.
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

    LineIndex() = default;
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    // Opens file again (a reader of its own; file itself is not moved) and
    // scans it, keeping every spacing-th line start; reports the bytes read
    // in control when given one. False when the file could not be opened
    // again or control.cancel was set before the end; the index is then empty.
    bool build(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
               ProgressControl* control = nullptr, std::int64_t spacing = kDefaultSpacing);
    // The same in steps, for readers that follow the scan: open before the
    // index is shared, then scan on one thread while others read. Each scan
    // goes on from where the last stopped, up to the first line that starts
    // at or beyond byte upTo (to the end by default); true when it got there
    // (isComplete() tells whether that was the file's end), false when it was
    // cancelled, the file grew or could not be read. What a scan published
    // stays.
    bool open(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
              std::int64_t spacing = kDefaultSpacing);
    bool scan(ProgressControl* control = nullptr,
              std::int64_t upTo = std::numeric_limits<std::int64_t>::max());

    // The lines scanned so far; all of them once complete.
    std::int64_t lineCount() const { return lineCount_.load(std::memory_order_acquire); }
    // The scan reached the file's end.
    bool isComplete() const { return complete_.load(std::memory_order_acquire); }
    // The file's size when it was opened.
    std::int64_t size() const { return size_; }
    // The line of the first ZA0 record; 0 for none (so far).
    std::int64_t fileTrailerLine() const {
        return fileTrailerLine_.load(std::memory_order_acquire);
    }
    // The file is no longer what was opened (rewritten, cut or grown), so
    // lines read now may not be the lines indexed.
    bool fileChanged() const;

    // Reads line number into line; false when the file has no such line
    // (not yet scanned, or it can no longer be read).
    bool read(std::int64_t number, Line& line) const;
    // The number of the line that holds the 1-based byte position (its line
    // end included); 0 beyond the file's end or the lines scanned so far.
    std::int64_t lineAt(std::int64_t position) const;
    // Calls visit(line) for up to count lines from line number from on;
    // stops early when visit returns false. Returns the lines visited.
    std::int64_t forEach(std::int64_t from, std::int64_t count,
                         const std::function<bool(const Line&)>& visit) const;

    // What the check calls a line of this kind; false for a record.
    static bool problemKind(Kind kind, Problem::Kind& problem);

private:
    // Line starts are kept in segments that never move once made, listed in
    // a table sized for the most lines the file's size allows.
    static constexpr std::size_t kSegmentStarts = 4096;

    // Opens a reader of its own at the kept start at or before line number
    // (of lines 1 to lines) and returns the number of the line it stands at;
    // 0 when it cannot.
    std::int64_t seekNear(SequentialFile& reader, std::int64_t number, std::int64_t lines) const;
    // The start of line 1 + kept * spacing.
    std::int64_t keptStart(std::size_t kept) const {
        return segments_[kept / kSegmentStarts][kept % kSegmentStarts];
    }
    // Keeps a start; false when the table is full (the file grew).
    bool keep(std::size_t kept, std::int64_t start);
    // lastLine: the number of the file's last line; 0 while not known.
    void describe(std::string_view text, std::int64_t number, std::int64_t position,
                  std::int64_t lastLine, Line& line) const;
    void clear();

    SequentialFile file_;  // the file scanned, for readers of its own
    std::string identity_; // file_'s when opened
    std::shared_ptr<const LayoutCatalogue> layouts_;
    std::int64_t spacing_ = kDefaultSpacing;
    // Of lines 1, 1 + spacing, 1 + 2 spacing, ...; written by the scan only
    // beyond what it has published.
    std::vector<std::unique_ptr<std::int64_t[]>> segments_;
    std::int64_t size_ = 0;
    // The scan's own, where the next scan goes on.
    SequentialFile scanner_;
    std::int64_t scanned_ = 0;   // lines
    std::int64_t nextStart_ = 1; // of the next line
    std::atomic<std::int64_t> lineCount_{0};
    std::atomic<std::int64_t> fileTrailerLine_{0};
    std::atomic<bool> complete_{false};
};

} // namespace qm

#pragma once

#include "core/claim/ClaimLoop.h"
#include "core/claim/ClaimRules.h"
#include "core/claim/RecordSplitter.h"
#include "core/compare/StreamUnit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

class LineDigest;
class SequentialFile;

// A line of a claim file that no unit of a comparison shows, and what it is.
struct UnshownLine {
    enum Why : std::uint8_t {
        TooShort, // too short to be a record
        Record,   // a record no unit takes: a type the claim does not hold, a stray trailer
        Replaced, // a record of a type that does not repeat, replaced by a later one
        PastLast  // a record past the 99th of its type in a claim
    };
    Why why = Record;
    std::string_view type; // its record type (file bytes); empty when it is too short
    // The unit that holds it: a claim, a batch outside its claims, a file
    // header outside its batches; FileHeader with ownerPosition -1: none.
    CompareUnit owner = CompareUnit::FileHeader;
    std::int64_t ownerPosition = -1;
    std::int64_t line = 0;     // its line number
    std::int64_t position = 0; // where the line begins
    std::string_view text;     // the line, or its first 64 KiB
    std::uint64_t digest = 0;  // of the whole line and why no unit shows it
};

// Follows a claim file line by line as a comparison reads it, and makes its
// units: file headers (AA0 to ZA0), batches (BA0, BA1, YA0) and claims, each
// claim with exactly the records a click on it reads (ClaimLoop and
// RecordSplitter, as the claim form and the whole-file check read them).
// Every line is either shown by a unit (a record compared field by field) or
// held by one: a claim holds the lines from its CA0 to its end that it does
// not show, a batch those outside its claims, a file header those outside
// its batches, and the file those outside its file headers. What a unit
// holds unshown goes into its count and digest, so that two units whose
// records compare the same still differ when those lines do.
//
// Given the same lines from the same first line on, it makes the same
// units and lines whatever came before: reading again from a unit's
// scanFrom finds that unit as the whole file's reading found it.
class UnitScanner {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // A unit is complete (the caller may take it).
        virtual void unit(StreamUnit&& unit) = 0;
        // A line no unit shows; its views last until the next line.
        virtual void unshown(const UnshownLine&) {}
    };

    // byPosition: every key empty, so that units pair by order alone. Lines
    // longer than SequentialFile keeps are read on from `file` to the end;
    // digests are of `seed`. The first line given is line number firstLine.
    UnitScanner(std::shared_ptr<const LayoutCatalogue> layouts, bool byPosition, std::uint64_t seed,
                const SequentialFile& file, Listener& listener, std::int64_t firstLine = 1);
    ~UnitScanner();

    // The next line as read, beginning at lineStart; cut: longer than the
    // reader keeps; next: where the line after it begins.
    void line(std::string_view line, std::int64_t lineStart, bool cut, std::int64_t next);
    // The file has ended (end: past its last byte); shrank: it is shorter
    // than when the reading began, so a claim it ends in was cut short.
    void finish(std::int64_t end, bool shrank);

    std::int64_t lines() const { return lineNumber_ - firstLine_ + 1; }

    // A line as read from a file.
    struct LineRead {
        std::string_view raw;
        std::int64_t start = 0;  // where it begins
        std::int64_t number = 0; // its line number
        bool cut = false;        // longer than the reader keeps
        std::int64_t next = 0;   // where the line after it begins
    };
    // Where a record of that line lies, with the digest of the rest of the
    // line it does not keep (read on from `file` where the reader cut it).
    static UnitRecords::Where whereOf(const SequentialFile& file, std::uint64_t seed,
                                      const LineRead& read, std::string_view record);
    // The lines outside every file header: how many, and their digest.
    std::int64_t fileUnshown() const { return fileUnshown_; }
    std::uint64_t fileUnshownDigest() const { return fileDigest_; }

private:
    struct BatchSeen {
        std::int64_t position = -1;
        std::string key;
        std::int64_t number = -1;
    };
    // What became of the line in the claim being read.
    enum class InClaim { No, Shown, Unshown };

    // The structure the line opens or closes; true when a header or batch shows it.
    bool structure(std::string_view type, std::string_view record, std::int64_t position);
    InClaim claimLine(UnshownLine::Why& why);
    void startClaim(StreamUnit&& unit, std::string_view record);
    // A record of the claim; false when it has no place (past the 99th).
    bool claimRecord(std::string_view record);
    void endClaim(bool unreadable);

    void open(StreamUnit& unit, CompareUnit kind, std::string_view record, std::int64_t position);
    void close(StreamUnit& unit);
    void closeBatch();
    void closeHeader();
    StreamUnit claimStart(std::string_view record, std::int64_t position) const;

    UnitRecords::Where where(std::string_view record) const {
        return whereOf(file_, seed_, current_, record);
    }
    // Takes in what lies beyond the characters of a line the reader kept.
    static void addTail(const SequentialFile& file, const LineRead& read, LineDigest& digest);
    // A line no unit shows: into its holder's count and digest, and to the listener.
    void unshownLine(UnshownLine line, StreamUnit* holder);

    std::shared_ptr<const LayoutCatalogue> layouts_;
    const bool byPosition_;
    const std::uint64_t seed_;
    const SequentialFile& file_;
    Listener& listener_;
    const std::int64_t firstLine_;
    std::int64_t lineNumber_;
    std::int64_t at_ = 0;
    LineRead current_;

    StreamUnit header_;
    StreamUnit batch_;
    bool expectBa1_ = false;
    // The batch the claims that begin now belong to: the last batch header,
    // whether or not its YA0 has come.
    BatchSeen lastBatch_;
    std::unordered_map<std::string, std::int64_t> batchesOfKey_;

    // The claim being read.
    const ClaimRules rules_;
    bool claimActive_ = false;
    StreamUnit claim_;
    ClaimLoop loop_;
    RecordSplitter splitter_;
    UnitRecords records_; // its records; a copy just their size goes with it
    // Its records' indexes by type and occurrence (0: none yet), and the entries set.
    std::vector<std::uint16_t> nodeOf_;
    std::vector<std::size_t> nodeSlots_;

    std::int64_t fileUnshown_ = 0;
    std::uint64_t fileDigest_ = 0;
};

} // namespace qm

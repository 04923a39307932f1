#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// What a comparison of two claim files pairs and compares: their file
// headers (AA0 with ZA0), batches (BA0, BA1 and YA0) and claims (their own
// records, CA0 to XA0, as a click reads them); and lines, for what those
// do not show: a line no unit shows (a record a later one of its type
// replaces, a 100th of a type, a stray trailer, a line outside every claim,
// a line too short to be a record), and a record whose line differs where
// no field of the map covers it.
enum class CompareUnit { FileHeader, Batch, Claim, Line };
constexpr int kCompareUnitCount = 4;

// How a unit of file A stands to file B: only in B, only in A, in both with
// values that differ, or (a claim) in both but under batches that do not pair.
enum class DifferenceKind { Added, Removed, Changed, Moved };
constexpr int kDifferenceKindCount = 4;

// Where a unit lies in one of the two files.
struct UnitPlace {
    // Of its AA0, BA0 or CA0 record (a line: where the line begins); -1: not in this file.
    std::int64_t position = -1;
    std::int64_t batch = -1;   // a claim's batch (its BA0), -1 for none
    std::int64_t trailer = -1; // a batch's YA0, a file header's ZA0; -1 for none
    std::int64_t line = -1;    // the line number of its first record (of the line)
    std::int64_t trailerLine = -1;
    // The line of its first record (bit 0) or of its trailer (bit 1) begins
    // with a line feed that the record leaves off.
    std::uint8_t leadingLf = 0;
    // Its file tree node text (file bytes); a line's own text, up to 64 KiB.
    std::string text;

    bool present() const { return position >= 0; }
    // Its file tree key ("CA0967"), "line 57" for a line; empty when it is not in the file.
    std::string key(CompareUnit unit) const;
    std::string batchKey() const;
};

// One field whose stored value differs between the two files' units.
struct FieldChange {
    std::string record;    // the claim form node key of its record: "FA0-2"
    std::string fieldId;   // "13.0"
    std::string name;      // as A's map names it (B's, for a record only B has)
    std::string otherName; // B's name where the two maps name the field differently
    std::string a, b;      // the stored values (file bytes)
    bool inA = true;       // A's unit has the record
    bool inB = true;
};

// One unit that differs between the two files.
struct Difference {
    CompareUnit unit = CompareUnit::Claim;
    DifferenceKind kind = DifferenceKind::Changed;
    UnitPlace a, b;
    // A claim's patient name and control number as the file tree shows
    // them, a batch's provider (BA0 02.0) and its name, a file header's
    // submitter; A's where A has the unit (file bytes, trimmed). For a
    // line, name says what it is and where: "an EA0 replaced by a later
    // one in claim CA0967".
    std::string name;
    std::string number;
    std::vector<FieldChange> fields;
};

// The words the command line, its JSON and the viewer use for both enums.
const char* kindWord(DifferenceKind kind);
const char* unitWord(CompareUnit unit);

} // namespace qm

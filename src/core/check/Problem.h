#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

class RuleCatalogue;

// One problem of a claim file as the whole-file check finds it: a few
// integers, so that a list of millions stays small. Its words, names and
// keys are made when asked (ProblemWords), the same for every front end.
struct Problem {
    // A claim's kinds come first, the most serious of them first.
    enum class Kind : std::uint8_t {
        TotalsDoNotCompute,      // an XA0 field disagrees with the claim's records
        Unreadable,              // the claim's records are no longer where they were
        InvalidValue,            // a value of a record the claim shows fails its check
        CouldNotCheck,           // XA0 fields the check compares are missing or cannot be cut
        NoXa0,                   // the claim has no XA0 of its own
        TrailerDoesNotBalance,   // a YA0 or ZA0 field disagrees with the records beneath it
        TrailerCouldNotCheck,    // YA0 or ZA0 fields it compares are missing or cannot be cut
        BatchWithoutTrailer,     // a batch reaches a BA0, the ZA0 or the end without a YA0
        TrailerWithoutBatch,     // a YA0 while no batch is open
        ClaimOutsideBatch,       // a CA0 after its batch's YA0, or before any BA0
        SecondFileHeader,        // an AA0 after the first
        UnknownRecordType,       // a record of none of the 32 types
        ShortLine,               // a line before the last too short to be a record
        MoreShortLines,          // short lines beyond those listed
        CutLastLine,             // the last line is too short to be a record
        RecordsAfterFileTrailer, // records follow the first ZA0
        NoFileTrailer,           // the file has no ZA0
        LfOnlyLineEnds,          // lines end in LF only: the file reads as one line
        FileChanged,             // the file changed while it was read
        Rule,                    // a claim fails an edit of a rules file (rule: which)
    };
    static constexpr int kKindCount = 20;
    // How much a row weighs: an error fails the check, a warning or a note
    // is listed and fails it only when asked to be strict.
    enum class Severity : std::uint8_t { Error, Warning, Note };
    static constexpr int kSeverityCount = 3;
    // What a row belongs to.
    enum class Scope : std::uint8_t { File, Batch, Claim };
    // flags: found holds the number the value reads as.
    static constexpr std::uint8_t kFoundIsNumber = 1;
    // flags: a field that could not be checked because what the records give
    // for it was too large to add up (beyond 64 bits); the value is its own.
    static constexpr std::uint8_t kTooLarge = 2;
    // found of a LfOnlyLineEnds row: the file was read with LF as the line
    // end, so it was checked line by line, and the row is a warning.
    static constexpr std::int64_t kLfReadAsLineEnd = 1;

    Kind kind = Kind::NoXa0;
    Scope scope = Scope::Claim;
    std::uint8_t flags = 0;
    std::int8_t recordType = -1; // the record's type (index in kRecordTypes); -1 for none
    std::int16_t occurrence = 0; // of that type in the claim form (1 for a header or trailer)
    std::int16_t field = -1;     // index in the type's layout; -1 for none
    Severity ruleSeverity = Severity::Error; // Kind::Rule: the rule's, as loaded
    std::int32_t rule = -1;                  // Kind::Rule: the rule's index in its RuleCatalogue
    std::int64_t batch = -1;   // 0-based index of the batch in file tree order; -1 for none
    std::int64_t claim = -1;   // 0-based index of the claim in file tree order; -1 for none
    std::int64_t position = 0; // 1-based byte position of the record or line it is about
    std::int64_t line = 0;     // 1-based line number of it; 0 when not known
    // By kind: the number a trailer field states (kFoundIsNumber), a line's
    // length, a count, the type bytes of an unknown record, the line length
    // a field did not fit in, how a batch without YA0 ended (the type of the
    // record that ended it, or -1 for the end of the file), the claims a
    // changed file's check could not read.
    std::int64_t found = 0;
    // What the records give for a trailer field; the claims a changed file had.
    std::int64_t expected = 0;

    // Whether the row says that something could not be checked (rather
    // than that something is wrong).
    static bool meansNotChecked(Kind kind) {
        return kind == Kind::Unreadable || kind == Kind::CouldNotCheck ||
               kind == Kind::TrailerCouldNotCheck || kind == Kind::FileChanged;
    }
    // A rule's row weighs what its rule says; what could not be checked is
    // a warning, and so are LF line ends read as asked; everything else the
    // check finds wrong an error.
    Severity severity() const {
        if (kind == Kind::Rule)
            return ruleSeverity;
        if (kind == Kind::LfOnlyLineEnds && found == kLfReadAsLineEnd)
            return Severity::Warning;
        return meansNotChecked(kind) ? Severity::Warning : Severity::Error;
    }
    // The three bytes of an unknown record type, packed into found, and back.
    static std::int64_t packType(std::string_view type) {
        std::int64_t packed = 0;
        for (std::size_t i = 0; i < 3 && i < type.size(); ++i)
            packed |= std::int64_t(static_cast<unsigned char>(type[i])) << (8 * i);
        return packed;
    }
    static std::string unpackType(std::int64_t packed) {
        std::string type(3, ' ');
        for (std::size_t i = 0; i < 3; ++i)
            type[i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
        return type;
    }
};

// A problem with the text it is about: the value of the field as stored
// (file bytes, blanks and all), or nothing; a rule's row also the rules it
// was found by, whose words it needs (whoever keeps the row keeps them).
struct ProblemRow {
    Problem problem;
    std::string_view value;
    const RuleCatalogue* rules = nullptr;
};

} // namespace qm

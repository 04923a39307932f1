#pragma once

#include "core/check/Problem.h"
#include "core/check/TrailerBalance.h"
#include "core/claim/TotalsVerdict.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

// What the whole-file check yields (FileCheck), apart from the check itself:
// what reads along with it or takes part in it needs these and not the pass.
struct CheckOutput {
    // A sequence of rows, valid during the call that hands it on.
    struct Rows {
        const ProblemRow* first = nullptr;
        std::size_t count = 0;
        const ProblemRow* begin() const { return first; }
        const ProblemRow* end() const { return first + count; }
        std::size_t size() const { return count; }
        bool empty() const { return count == 0; }
    };

    // A batch begins: its BA0.
    struct Batch {
        std::int64_t index = 0;    // 0-based, in file tree order
        std::int64_t position = 0; // of its BA0: the file tree key is "BA0" + position
        std::int64_t line = 0;
        std::string_view text; // its file tree node text (file bytes)
    };

    // A claim and what a click on it finds.
    struct Claim {
        std::int64_t index = 0;    // 0-based, in file tree order
        std::int64_t batch = -1;   // the batch the tree lists it under; -1 for none
        std::int64_t position = 0; // of its CA0: the file tree key is "CA0" + position
        std::int64_t line = 0;
        std::string_view text; // its file tree node text (file bytes)
        TotalsState totals = TotalsState::NotAClaim;
        bool xa0Present = false;
        bool unreadable = false;
        Rows rows; // in the order a front end lists them
    };

    // How a batch's trailer (when the batch ends) or the file's (at its ZA0,
    // or at the end of a file without one) came out.
    struct Trailer {
        Problem::Scope scope = Problem::Scope::File; // Batch or File
        std::int64_t batch = -1;                     // the batch's index; -1 for the file
        std::int64_t position = 0;                   // the batch's BA0; 0 for the file
        std::string_view text;                       // the batch's node text
        std::int64_t trailerPosition = 0;            // of the YA0 or ZA0; 0 when none
        std::int64_t trailerLine = 0;
        TrailerBalance::State state = TrailerBalance::State::NoTrailer;
        // Which readings of the record count the trailer's count matched
        // (TrailerBalance::kClaimRecordsMatched, kEveryRecordMatched).
        std::uint8_t readings = 0;
        Rows rows;
    };

    // What the check yields, in file order, on the calling thread.
    class Consumer {
    public:
        virtual ~Consumer() = default;
        virtual void batch(const Batch& batch) = 0;
        virtual void claim(const Claim& claim) = 0;
        virtual void trailer(const Trailer& trailer) = 0;
        // A row of the file's structure (scope File).
        virtual void problem(const ProblemRow& row) = 0;
    };

    struct Summary {
        std::int64_t claims = 0;
        std::int64_t totalsFailed = 0; // totals that do not compute
        std::int64_t withInvalid = 0;  // claims with values that failed their check
        std::int64_t withoutXa0 = 0;   // claims without an XA0 of their own
        // Claims whose totals could not be checked or that could not be read
        // (those not read at all among them).
        std::int64_t uncertain = 0;
        // Claims the file had when the check began that it could not read
        // because the file changed.
        std::int64_t notRead = 0;
        std::int64_t claimsWithProblems = 0; // claims with a row
        std::int64_t batches = 0;
        std::int64_t batchesWithProblems = 0; // batches whose trailer has a row
        std::int64_t fileProblems = 0;        // rows of the file's own
        std::int64_t problems = 0;            // rows in all
        // Rows by severity (Problem::severity).
        std::int64_t errors = 0;
        std::int64_t warnings = 0;
        std::int64_t notes = 0;
        bool failed = false;     // an error row: something is wrong
        bool notChecked = false; // a row says something could not be checked
        bool fileChanged = false;
        bool cancelled = false;
    };
};

} // namespace qm

#pragma once

#include "core/check/LineTally.h"
#include "core/check/Problem.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;
class RecordLayout;

// The balance of a batch trailer (YA0) against its batch, or of the file
// trailer (ZA0) against the whole file: each count and total it states,
// found by its field number in the map (the first definition of it), is
// compared as a 64-bit whole number with what the records beneath it give:
//
//   YA0  08.0 service lines = FA0 records      ZA0  05.0 the same for the file
//        09.0 record count (either reading)         06.0 the same
//        10.0 claims = CA0 records                  07.0 the same
//        11.0 total charges = FA0 13.0 summed       08.0 batches = BA0 records
//                                                   09.0 total charges
//
// The record count has two readings, since public sources differ: the
// claims' own records as the claim trailer counts them (types C to H), or
// every record from the batch header (file header) through the trailer.
// Either balances; "expected" shows the first. A blank field is not
// compared; one that is no whole number does not balance; one the map lacks
// or that does not lie within the line, or total charges too large to add
// up (beyond 64 bits), make the trailer "could not check".
class TrailerBalance {
public:
    enum class State { Balances, DoesNotBalance, CouldNotCheck, NoTrailer };
    // Which readings of the record count the trailer's count matched.
    static constexpr std::uint8_t kClaimRecordsMatched = 1;
    static constexpr std::uint8_t kEveryRecordMatched = 2;

    struct Result {
        State state = State::Balances;
        std::uint8_t readings = 0;
    };

    // For the trailer type "YA0" or "ZA0" of these layouts.
    TrailerBalance(const LayoutCatalogue& layouts, std::string_view type);

    // The field numbers a trailer of this type is compared by.
    static std::vector<std::string_view> comparedIds(std::string_view type);

    // Compares a trailer line with what lies beneath it: the tally of its
    // batch (or file) and, for the second reading of the record count,
    // every record from its header through the trailer. Each finding is a
    // row like `where` (which says where it is), appended to rows with its
    // value pointing into line.
    Result check(std::string_view line, const LineTally& beneath, std::int64_t everyRecord,
                 const Problem& where, std::vector<ProblemRow>& rows) const;

    // What a compared field restates.
    enum class Measure { ServiceLines, RecordCount, Claims, Batches, Charges };

private:
    struct Compared {
        int field; // in the layout; -1 when the map lacks it
        Measure measure;
    };

    const RecordLayout& layout_;
    int type_;
    std::vector<Compared> compared_;
    bool lacksFields_ = false;
};

} // namespace qm

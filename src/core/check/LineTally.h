#pragma once

#include <cstdint>

namespace qm {

// What a stretch of a claim file holds, counted line by line, for the
// batch and file trailers that restate it.
struct LineTally {
    // Line charges are added up in 128 bits: no file holds enough lines to
    // leave them, and what a stretch holds is told exactly by the difference
    // of two tallies, however large the amounts.
    __extension__ typedef __int128 Wide;

    std::int64_t records = 0;      // lines that are records (the line rule of the tree)
    std::int64_t claimRecords = 0; // records whose type begins with C to H, as XA0 counts them
    std::int64_t serviceLines = 0; // FA0 records
    std::int64_t claims = 0;       // CA0 records
    std::int64_t batches = 0;      // BA0 records
    Wide charges = 0;              // FA0 13.0 line charges, summed
    std::int64_t hugeCharges = 0;  // FA0 13.0 line charges that are whole numbers beyond 64 bits

    // The charges as a 64-bit figure; false when they are too large to add
    // up in one (beyond 64 bits, or a charge beyond them among them).
    bool chargesFit(std::int64_t& figure) const {
        if (hugeCharges != 0 || charges < INT64_MIN || charges > INT64_MAX)
            return false;
        figure = std::int64_t(charges);
        return true;
    }

    LineTally& operator+=(const LineTally& other) {
        records += other.records;
        claimRecords += other.claimRecords;
        serviceLines += other.serviceLines;
        claims += other.claims;
        batches += other.batches;
        charges += other.charges;
        hugeCharges += other.hugeCharges;
        return *this;
    }
    LineTally operator-(const LineTally& other) const {
        LineTally difference = *this;
        difference.records -= other.records;
        difference.claimRecords -= other.claimRecords;
        difference.serviceLines -= other.serviceLines;
        difference.claims -= other.claims;
        difference.batches -= other.batches;
        difference.charges -= other.charges;
        difference.hugeCharges -= other.hugeCharges;
        return difference;
    }
};

} // namespace qm

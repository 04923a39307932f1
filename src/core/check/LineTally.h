#pragma once

#include <cstdint>

namespace qm {

// What a stretch of a claim file holds, counted line by line, for the
// batch and file trailers that restate it.
struct LineTally {
    std::int64_t records = 0;      // lines that are records (the line rule of the tree)
    std::int64_t claimRecords = 0; // records whose type begins with C to H, as XA0 counts them
    std::int64_t serviceLines = 0; // FA0 records
    std::int64_t claims = 0;       // CA0 records
    std::int64_t batches = 0;      // BA0 records
    std::int64_t charges = 0;      // FA0 13.0 line charges, summed

    LineTally& operator+=(const LineTally& other) {
        records += other.records;
        claimRecords += other.claimRecords;
        serviceLines += other.serviceLines;
        claims += other.claims;
        batches += other.batches;
        charges += other.charges;
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
        return difference;
    }
};

} // namespace qm

#pragma once

#include "core/compare/Difference.h"
#include "core/compare/UnitRecords.h"

#include <cstdint>
#include <string>

namespace qm {

// One file header, batch or claim of a file as a comparison reads it: the
// key that pairs it with a unit of the other file, its place, and the
// records compared, with what it holds that they do not show.
struct StreamUnit {
    CompareUnit unit = CompareUnit::Claim;
    std::int64_t at = 0; // how far the reading had come when the unit was complete
    // Units of the same kind and key pair in the order they come: a claim's
    // key is its control number (CA0 03.0) with its batch's provider (BA0
    // 02.0), a batch's its provider, a file header's none.
    std::string key;
    // A claim's batch: the batch's key and its number among the batches of
    // that key (-1: the claim has no batch).
    std::string batchKey;
    std::int64_t batchNumber = -1;
    UnitPlace place;
    std::string name;   // see Difference::name
    std::string number; // see Difference::number
    UnitRecords records;
    // The lines the unit holds that no unit shows: how many, and a digest
    // of them with what each is (see UnitScanner).
    std::int64_t unshown = 0;
    std::uint64_t unshownDigest = 0;
    // Where a reading that follows the unit's lines as the whole file's
    // reading did begins (a line start), and that line's number: a claim's
    // and a batch's first line, a file header's or that of a claim it began in.
    std::int64_t scanFrom = 1;
    std::int64_t scanFromLine = 1;
    bool unreadable = false; // a claim the file no longer held as it was
};

} // namespace qm

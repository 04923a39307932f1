#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

// One claim as the claim list shows it, gathered by the whole-file check's
// own pass over the file: the same for every front end. Texts are file
// bytes, valid during the call that hands the row on; numbers are in the
// units their fields store (the format file says how they read).
struct ClaimListRow {
    std::int64_t index = 0;          // 0-based, in file tree order
    std::int64_t position = 0;       // of its CA0: the file tree key is "CA0" + position
    std::int64_t batchPosition = -1; // of its batch's BA0; -1 for none
    std::string_view patient;        // "LAST, FIRST", as the file tree names the patient
    std::string_view controlNumber;  // CA0 03.0, blanks around it aside
    std::string_view provider;       // the batch's provider, as the file tree names it
    std::int32_t firstService = 0;   // the earliest FA0 05.0 that is a date, CCYYMMDD; 0: none
    std::int32_t lines = 0;          // FA0 records (service lines)
    bool hasStatedTotal = false;     // the claim has an XA0 whose 12.0 reads as a number
    std::int64_t statedTotal = 0;    // XA0 12.0
    std::int64_t linesTotal = 0;     // the FA0 13.0 values that read as numbers, added up
    std::int32_t problems = 0;       // the claim's rows of the whole-file check
};

} // namespace qm

#pragma once

#include "core/claim/ClaimTotals.h"
#include "core/io/FileTable.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The program-wide values, in one object so that every test can start from a
// fresh one. The procedures that work on them take it by reference.
struct Module1 {
    LayoutCatalogue RecordLayouts;
    FileTable Files;
    int FileNumber = 0;    // handle of the open claim file; 0 before the first open
    std::string FileName;  // path chosen in the last File > Open
    std::string MapFolder; // folder current at start-up, where map files are looked for
    // Every folder looked in for map files, in order (MapFolder among them);
    // when empty, MapFolder alone.
    std::vector<std::string> MapFolders;
    std::string SearchText;     // the file tree's find text
    std::int64_t FindIndex = 0; // 1-based index of the last find hit in the file tree
    ClaimTotals Totals;         // ClaimTotals of the claim clicked last
    // True while Totals and the XA0 values belong to an XA0 read by the current click.
    bool XA0ReadThisClick = false;
};

} // namespace qm

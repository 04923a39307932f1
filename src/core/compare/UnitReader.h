#pragma once

#include "core/compare/Difference.h"
#include "core/compare/UnitRecords.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <memory>

namespace qm {

class SequentialFile;

// Reads again, at the places a comparison found it, the records it compares
// of one unit: a claim's own records as a click reads them (CA0 to its end,
// without the headers and trailers a click shows around them), a batch's
// BA0, its BA1 and its YA0, a file header's AA0 and its ZA0; each with the
// digest of `seed` of what its line holds beyond the record (see UnitScanner).
class UnitReader {
public:
    // False when the unit's first record is no longer there (the file changed).
    static bool read(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     CompareUnit unit, const UnitPlace& place, UnitRecords& records,
                     std::uint64_t seed = 0);
};

} // namespace qm

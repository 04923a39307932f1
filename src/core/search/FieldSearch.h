#pragma once

#include "core/common/Progress.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchHit.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qm {

class HeaderIndex;
class SearchPlan;
class SequentialFile;

// The field search: one pass over a claim file that yields, for every claim
// in file tree order, the fields of its claim form whose values match, as a
// click on the claim would show them: the file header, batch header and BA1
// above it, its own records, its batch and file trailers. The claim pass
// reads the file with several threads at once.
class FieldSearch {
public:
    struct Options {
        int jobs = 0; // worker threads; 0: one per processor core
        // Called on the calling thread with bytes done of the bytes to read;
        // returning false cancels the search.
        Progress progress;
        std::int64_t chunkBytes = std::int64_t(8) << 20;
        // Where the file's headers and trailers are, from its tree, when
        // it is at hand: the search starts sooner.
        std::shared_ptr<const HeaderIndex> index;
        // Stop once this many fields matched (after the claim that reaches
        // it); 0: no limit.
        std::int64_t maxFields = 0;
    };

    struct Summary {
        std::int64_t claims = 0;        // claims searched
        std::int64_t claimsMatched = 0; // claims with a matching field
        std::int64_t fieldsMatched = 0;
        bool cancelled = false;
        bool limited = false; // stopped at Options::maxFields
    };

    // Searches the file behind `file` (read through readers of its own) with
    // a prepared plan over these layouts. onClaim gets every claim with a
    // matching field, in order, on the calling thread.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const SearchPlan& plan, const Options& options,
                       const std::function<void(ClaimHits&&)>& onClaim);
};

} // namespace qm

#pragma once

#include "core/check/ClaimPass.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchHit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace qm {

class SearchPlan;
class SequentialFile;

// The field search: one pass over a claim file that yields, for every claim
// in file tree order, the fields of its claim form whose values match, as a
// click on the claim would show them: the file header, batch header and BA1
// above it, its own records, its batch and file trailers. The claim pass
// reads the file with several threads at once.
class FieldSearch {
public:
    struct Options : ClaimPass::Options {
        // Stop once this many fields matched (after the claim that reaches
        // it); 0: no limit.
        std::int64_t maxFields = 0;
        // How many bytes of a chunk's matches may wait for the chunks before
        // it to go out before its worker waits too.
        std::size_t waitingBytes = std::size_t(2) << 20;
    };

    struct Summary {
        std::int64_t claims = 0;        // claims searched
        std::int64_t claimsMatched = 0; // claims with a matching field
        std::int64_t fieldsMatched = 0;
        bool cancelled = false;
        bool limited = false; // stopped at Options::maxFields
        // The file's size or identity at the end of the search differ from
        // its start: what was searched may be neither the old file nor the new.
        bool fileChanged = false;
        // Claims the file had when the search began that it did not read
        // because the file changed.
        std::int64_t notRead = 0;
    };

    // Searches the file behind `file` (read through readers of its own) with
    // a prepared plan over these layouts. onClaim gets every claim with a
    // matching field in file order, as soon as the claims before it have
    // gone: one call at a time, from the calling thread or a worker. Claims
    // wait for their turn only a few megabytes a worker, so that memory does
    // not grow with the number of matches.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const SearchPlan& plan, const Options& options,
                       const std::function<void(ClaimHits&&)>& onClaim);
};

} // namespace qm

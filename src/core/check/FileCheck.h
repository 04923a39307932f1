#pragma once

#include "core/check/ClaimPass.h"
#include "core/claim/ClaimVerdict.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qm {

class SequentialFile;

// The whole-file check: one pass over a claim file that yields, for every
// claim in file tree order, exactly the verdict a click on that claim would
// give. The file is split at line boundaries into chunks that several
// threads read at once; verdicts still come out in order.
class FileCheck {
public:
    // Jobs, progress (bytes done of the file's size once per reading of
    // it: twice without an index), chunk size and the tree's index.
    using Options = ClaimPass::Options;

    struct Summary {
        std::int64_t claims = 0;
        std::int64_t totalsFailed = 0; // totals that do not compute
        std::int64_t withInvalid = 0;  // claims with values that failed their check
        std::int64_t uncertain = 0;    // totals that could not be checked, unreadable claims
        bool cancelled = false;
    };

    // Checks the file behind `file` (read through readers of its own; `file`
    // itself is not moved) with the given layouts. onClaim gets every claim's
    // verdict, in order, on the calling thread.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const Options& options, const std::function<void(ClaimVerdict&&)>& onClaim);
};

} // namespace qm

#pragma once

#include "core/check/CheckOutput.h"
#include "core/check/ClaimPass.h"
#include "core/check/FileStatistics.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class PassListener;
class SequentialFile;

// The whole-file check: one pass over a claim file that gives every claim,
// in file tree order, exactly the problems a click on it would show, balances
// every batch trailer (YA0) against its batch and the file trailer (ZA0)
// against the file, and checks the file's structure. The file is split at
// line boundaries into chunks that several threads read at once; what they
// find still comes out in file order, as the pass goes, on the calling
// thread: one list of problem rows that every front end shows alike.
class FileCheck : public CheckOutput {
public:
    // Jobs, progress (bytes done of the file's size once per reading of it:
    // twice without an index), chunk size, the tree's index, the test seam.
    using Options = ClaimPass::Options;

    // Checks the file behind `file` (read through readers of its own; `file`
    // itself is not moved) with the given layouts, handing every finding to
    // consumer as it comes; every listener reads along in the same reading
    // (see PassListener). Cancelled when a listener's own second reading was.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const Options& options, Consumer& consumer,
                       const std::vector<PassListener*>& listeners);
    // The same with no listener.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const Options& options, Consumer& consumer);
};

} // namespace qm

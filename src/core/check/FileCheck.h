#pragma once

#include "core/check/CheckOutput.h"
#include "core/check/ClaimPass.h"
#include "core/check/FileStatistics.h"
#include "core/check/RuleCatalogue.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class CheckVisitor;
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
    // twice without an index), chunk size, the tree's index, the reader's seam;
    // and the rules claims are weighed by besides (bound to the layouts the
    // check runs with; none: the format's own checks alone).
    struct Options : ClaimPass::Options {
        std::shared_ptr<const RuleCatalogue> rules;
    };

    // What goes along with the check in its one reading of the file and
    // decides what of it is handed on (a claim filter, say): each worker's
    // visitor wraps the check's own, and each chunk is taken, in file order
    // on the calling thread, just before the check hands on what it found in
    // that chunk.
    class Companion {
    public:
        virtual ~Companion() = default;
        // Before the pass: how many chunks it reads.
        virtual void begin(std::size_t chunkCount) = 0;
        // On each worker: its visitor, which hands every call on to check.
        virtual std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                                      std::unique_ptr<CheckVisitor> check) = 0;
        virtual void take(std::size_t chunk) = 0;
    };

    // Checks the file behind `file` (read through readers of its own; `file`
    // itself is not moved) with the given layouts, handing every finding to
    // consumer as it comes; every listener reads along in the same reading
    // (see PassListener), and so does a companion. Cancelled when a
    // listener's own second reading was.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const Options& options, Consumer& consumer,
                       const std::vector<PassListener*>& listeners, Companion* companion = nullptr);
    // The same with no listener.
    static Summary run(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                       const Options& options, Consumer& consumer);
};

} // namespace qm

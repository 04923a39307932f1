#pragma once

#include "core/check/CheckOutput.h"
#include "core/common/Progress.h"

#include <cstddef>
#include <memory>

namespace qm {

class CheckVisitor;
class ClaimRules;
class ClaimVisitor;
class LayoutCatalogue;
class SequentialFile;

// What reads along with the whole-file check in its one reading of the file:
// the file's statistics, and whatever else wants every claim as the check
// reads it (a claim list, a display filter, rules). Each listener sees every
// line and claim the check's workers read, through a visitor of its own on
// each worker that is called right after the check's visitor there, and what
// the check finds, in file order; one reading of the file feeds them all.
class PassListener {
public:
    virtual ~PassListener() = default;

    // Before the reading: how many chunks the file is read in.
    virtual void begin(std::size_t chunkCount) { (void)chunkCount; }
    // Once on each worker: its visitor, or null to read nothing there. It may
    // ask `check`, the check's visitor of the same worker, about the claim
    // that ended last.
    virtual std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                                  const CheckVisitor& check) = 0;
    // On the calling thread, in file order, once every claim of the chunk has
    // reached every visitor: just before the check hands on what it found in
    // it, and just after.
    virtual void chunkRead(std::size_t chunk) { (void)chunk; }
    virtual void chunkDone(std::size_t chunk) { (void)chunk; }
    // Where the check's findings go after its consumer has had them; null for
    // nowhere.
    virtual CheckOutput::Consumer* findings() { return nullptr; }
    // The reading has ended, the file read to its end (done) or cancelled. A
    // listener may read the file once more here; false when that was
    // cancelled through progress.
    virtual bool end(bool done, const SequentialFile& file, const LayoutCatalogue& layouts,
                     const Progress& progress) {
        (void)done;
        (void)file;
        (void)layouts;
        (void)progress;
        return true;
    }
};

} // namespace qm

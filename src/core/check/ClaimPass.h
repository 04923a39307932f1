#pragma once

#include "core/check/ClaimVisitor.h"
#include "core/claim/ClaimRules.h"
#include "core/common/Progress.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qm {

class ChunkPlan;
class HeaderIndex;
class SequentialFile;

// One pass over a claim file that reads every claim, in file tree order,
// with exactly the records a click on it reads. The file is split at line
// boundaries into chunks that several threads read at once, each through a
// visitor of its own; chunks are handed on in order on the calling thread.
// The whole-file check and the field search both run on it.
class ClaimPass {
public:
    struct Options {
        int jobs = 0; // worker threads; 0: one per processor core
        // Called on the calling thread with bytes done of the bytes to read
        // (the file's size once per reading of it); returning false cancels.
        Progress progress;
        // How much of the file one worker takes at a time.
        std::int64_t chunkBytes = std::int64_t(8) << 20;
        // Where the file's headers and trailers are, when its tree is at
        // hand: spares the pass a first reading of the whole file. Used only
        // while it still describes this very file.
        std::shared_ptr<const HeaderIndex> index;
        // The visitors also see every line of their chunks (ClaimVisitor::line).
        bool everyLine = false;
        // The reader's seam, empty but where a test stands between the pass
        // and the file: called on a worker with a claim's position just
        // before the claim is read (to pause the pass there, or change the
        // file underneath).
        std::function<void(std::int64_t position)> beforeClaimRead;
    };

    // Reads the file behind `file` through readers of its own (`file` itself
    // is not moved) with the given layouts; finds the chunk boundaries.
    ClaimPass(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
              Options options);
    ~ClaimPass();
    ClaimPass(const ClaimPass&) = delete;
    ClaimPass& operator=(const ClaimPass&) = delete;

    const ClaimRules& rules() const;
    std::size_t chunkCount() const;
    // The file's size when the pass began.
    std::int64_t initialSize() const;
    // After run: how many claims the file had when the pass began, as its
    // first reading (or the tree's index) found them.
    std::int64_t claimsFound() const;

    // Runs the pass: makeVisitor is called once on each worker thread;
    // handOn(chunk) is called on the calling thread for every chunk in file
    // order once all its claims have reached their visitor. Workers stay only
    // a few chunks ahead of what has been handed on. False when cancelled.
    bool run(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
             const std::function<void(std::size_t chunk)>& handOn);

    // After run: whether the file's size or identity (device, inode,
    // modification time) at the end differ from the start: it changed while
    // it was read, and what was read may be neither the old file nor the new.
    bool fileChanged() const;

private:
    struct Sync;
    // First pass: where the headers and trailers are, chunk by chunk; false when cancelled.
    static bool findFrames(const SequentialFile& file, ChunkPlan& plan, int jobs, Sync& sync);
    // Second pass: the claims read chunk by chunk on the workers, handed on in order.
    void readClaims(const std::function<std::unique_ptr<ClaimVisitor>()>& makeVisitor,
                    const std::function<void(std::size_t chunk)>& handOn, Sync& sync);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qm

#pragma once

#include "core/filetree/FileTree.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace qm {
class SequentialFile;
struct ProgressControl;
} // namespace qm

// Where a test stands between the viewer's background work and the file it
// reads: an object handed to the document (through the AppContext), which
// passes it to every job it starts, as the dialogs of a window are handed to
// it. The program leaves every seam empty. A job takes the seams as they are
// when it starts and calls them on its worker threads.
struct WorkSeams {
    enum class Job { TreeBuild, Check, Search, Comparison, Lines };
    // Whether the job calling a seam was cancelled: a seam that waits returns
    // once it is, so that the job can stop and be waited for.
    using Stopped = std::function<bool()>;

    // A pause point: called on a search's or a comparison's worker, or the
    // check's, before it reads anything; on the File Lines window's index
    // before each stretch of lines it reads.
    std::function<void(Job job, const Stopped& stopped)> pause;
    // Called on the whole-file check's worker before each claim it takes (to
    // slow a check down).
    std::function<void(const Stopped& stopped)> eachClaim;
    // The file reader's seam: called on a reading thread of the check or the
    // search with a claim's position just before the claim is read (to change
    // the file underneath).
    std::function<void(Job job, std::int64_t position)> beforeRead;
    // The tree build itself, instead of qm::BuildTree (to hold it, or have it
    // run out of memory).
    std::function<std::optional<qm::FileTree>(qm::SequentialFile& file,
                                              qm::ProgressControl& control)>
        buildTree;
};

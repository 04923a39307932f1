#pragma once

#include "core/common/ProgressControl.h"
#include "core/filetree/FileTree.h"

#include <functional>
#include <optional>

class QWidget;

namespace qm {
class SequentialFile;
}

// The tree build of View Claims, run on a worker thread. A build that is not
// done within half a second shows an application-modal progress dialog
// (frmTreeProgress) with the share of the file read so far and a Cancel
// button; the windows keep painting and the dialog answers at once.
class TreeBuildJob {
public:
    using Build =
        std::function<std::optional<qm::FileTree>(qm::SequentialFile&, qm::ProgressControl&)>;

    // The tree of file, or nullopt when the user cancelled or the build ran
    // out of memory (which is reported). The worker reads through a reader
    // of its own; until this returns the window is blocked, and the dialog
    // keeps the user's hands off the rest of the program.
    static std::optional<qm::FileTree> run(const qm::SequentialFile& file, QWidget* parent);

    // Test seam: the build to run instead of qm::BuildTree; empty restores it.
    static void setBuildForTests(Build build);
};

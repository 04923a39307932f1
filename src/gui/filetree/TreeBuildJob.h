#pragma once

#include "core/filetree/FileTree.h"
#include "core/filetree/TreeBuildControl.h"

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
        std::function<std::optional<qm::FileTree>(qm::SequentialFile&, qm::TreeBuildControl&)>;

    // The tree of file, or nullopt when the user cancelled or the build ran
    // out of memory (which is reported). Nothing else may read file until
    // this returns: it blocks, and the dialog keeps the user's hands off.
    static std::optional<qm::FileTree> run(qm::SequentialFile& file, QWidget* parent);

    // Test seam: the build to run instead of qm::BuildTree; empty restores it.
    static void setBuildForTests(Build build);
};

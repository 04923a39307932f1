#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

class QWidget;

namespace qm {
class FileTree;
}

// The find command's search of a file tree, run on a worker thread: over
// millions of nodes it takes tenths of a second, and the windows go on
// painting meanwhile. Like a tree build it takes no input while it runs, and
// a search not done within half a second shows an application-modal progress
// dialog (frmFindProgress) with a Cancel button.
class NodeFindJob {
public:
    // The node (a 1-based tree index) whose text holds text, nearest to
    // first (to last, backward) within [first, last]; 0 when there is none;
    // nullopt when the user cancelled.
    static std::optional<qint64> run(std::shared_ptr<const qm::FileTree> tree, const QString& text,
                                     qint64 first, qint64 last, bool backward, const QString& title,
                                     QWidget* parent);
};

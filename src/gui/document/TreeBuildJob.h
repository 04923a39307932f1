#pragma once

#include "core/filetree/FileTree.h"
#include "gui/document/WorkSeams.h"

#include <QObject>
#include <memory>
#include <optional>

class BackgroundWorkBase;
class QWidget;

namespace qm {
class SequentialFile;
}

// The tree build of View Claims, run on a worker thread. A build that is not
// done within half a second shows an application-modal progress dialog
// (frmTreeProgress) with the share of the file read so far and a Cancel
// button; the windows keep painting and the dialog answers at once.
class TreeBuildJob : public QObject {
    Q_OBJECT
public:
    // seams: the build to run instead of qm::BuildTree, if any.
    explicit TreeBuildJob(std::shared_ptr<const WorkSeams> seams, QObject* parent = nullptr);
    ~TreeBuildJob() override;

    // The tree of file, or nullopt when the user cancelled or the build ran
    // out of memory (which is reported). The worker reads through a reader
    // of its own; until this returns the window is blocked, and the dialog
    // keeps the user's hands off the rest of the program.
    std::optional<qm::FileTree> run(const qm::SequentialFile& file, QWidget* parent);
    // Cancels the build run() waits for, as its dialog's Cancel does.
    void cancel();

signals:
    void treeProgressed(int percent);

private:
    std::shared_ptr<const WorkSeams> seams_;
    BackgroundWorkBase* work_ = nullptr;
};

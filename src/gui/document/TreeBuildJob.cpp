#include "gui/document/TreeBuildJob.h"

#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/MessageBoxes.h"

#include <functional>
#include <new>

namespace {

struct Built {
    std::optional<qm::FileTree> tree;
    bool outOfMemory = false;
};
using Work = BackgroundWork<NoBatch, Built>;

} // namespace

TreeBuildJob::TreeBuildJob(std::shared_ptr<const WorkSeams> seams, QObject* parent)
    : QObject(parent)
    , seams_(std::move(seams)) {
}

TreeBuildJob::~TreeBuildJob() = default;

std::optional<qm::FileTree> TreeBuildJob::run(const qm::SequentialFile& file, QWidget* parent) {
    std::function<std::optional<qm::FileTree>(qm::SequentialFile&, qm::ProgressControl&)> build =
        [](qm::SequentialFile& f, qm::ProgressControl& c) {
            return qm::BuildTree(f, c);
        };
    if (seams_ && seams_->buildTree)
        build = seams_->buildTree;
    // The worker reads the very file the user opened through a reader of its own.
    auto source = std::make_shared<qm::SequentialFile>();
    std::string error;
    if (!source->openSame(file, &error)) {
        MessageBoxes::showMessage(parent,
                                  QStringLiteral("The file cannot be read again: ") +
                                      QString::fromLocal8Bit(error.c_str()),
                                  QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
        return std::nullopt;
    }
    Work work;
    work_ = &work;
    connect(&work, &BackgroundWorkBase::workProgressed, this, &TreeBuildJob::treeProgressed);
    work.startWork([build, source](Work::Reporter& run) {
        Built built;
        try {
            built.tree = build(*source, run.control());
        } catch (const std::bad_alloc&) {
            built.outOfMemory = true;
        }
        return built;
    });
    const bool done = work.waitShowingProgress({QStringLiteral("frmTreeProgress"),
                                                QStringLiteral("NSF File Tree"),
                                                QStringLiteral("Building the file tree...")},
                                               parent);
    work_ = nullptr;
    if (!done)
        return std::nullopt;
    Built built = work.takeSummary();
    if (built.outOfMemory)
        MessageBoxes::showMessage(
            parent, QStringLiteral("There is not enough memory to build the tree of this file."),
            QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
    return std::move(built.tree);
}

void TreeBuildJob::cancel() {
    if (work_)
        work_->cancelWork();
}

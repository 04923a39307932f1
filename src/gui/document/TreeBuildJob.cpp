#include "gui/document/TreeBuildJob.h"

#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/MessageBoxes.h"

#include <new>

namespace {

TreeBuildJob::Build& buildForTests() {
    static TreeBuildJob::Build build;
    return build;
}

} // namespace

std::optional<qm::FileTree> TreeBuildJob::run(const qm::SequentialFile& file, QWidget* parent) {
    Build build = buildForTests();
    if (!build)
        build = [](qm::SequentialFile& f, qm::ProgressControl& c) {
            return qm::BuildTree(f, c);
        };
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
    struct Built {
        std::optional<qm::FileTree> tree;
        bool outOfMemory = false;
    };
    BackgroundWork<NoBatch, Built> work;
    work.start([build, source](BackgroundWork<NoBatch, Built>::Reporter& run) {
        Built built;
        try {
            built.tree = build(*source, run.control());
        } catch (const std::bad_alloc&) {
            built.outOfMemory = true;
        }
        return built;
    });
    if (!work.waitShowingProgress({QStringLiteral("frmTreeProgress"),
                                   QStringLiteral("NSF File Tree"),
                                   QStringLiteral("Building the file tree...")},
                                  parent))
        return std::nullopt;
    Built built = work.takeSummary();
    if (built.outOfMemory)
        MessageBoxes::showMessage(
            parent, QStringLiteral("There is not enough memory to build the tree of this file."),
            QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
    return std::move(built.tree);
}

void TreeBuildJob::setBuildForTests(Build build) {
    buildForTests() = std::move(build);
}

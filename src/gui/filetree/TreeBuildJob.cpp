#include "gui/filetree/TreeBuildJob.h"

#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/common/LongTask.h"
#include "gui/common/MessageBoxes.h"

#include <new>

namespace {

TreeBuildJob::Build& buildForTests() {
    static TreeBuildJob::Build build;
    return build;
}

} // namespace

std::optional<qm::FileTree> TreeBuildJob::run(const qm::SequentialFile& file, QWidget* parent) {
    qm::ProgressControl control;
    Build build = buildForTests();
    if (!build)
        build = [](qm::SequentialFile& f, qm::ProgressControl& c) {
            return qm::BuildTree(f, c);
        };
    // The worker reads the very file the user opened through a reader of its own.
    qm::SequentialFile source;
    std::string error;
    if (!source.openSame(file, &error)) {
        MessageBoxes::showMessage(parent,
                                  QStringLiteral("The file cannot be read again: ") +
                                      QString::fromLocal8Bit(error.c_str()),
                                  QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
        return std::nullopt;
    }
    const LongTask::Dialog dialog{QStringLiteral("frmTreeProgress"),
                                  QStringLiteral("NSF File Tree"),
                                  QStringLiteral("Building the file tree...")};
    try {
        return LongTask::run(dialog, control, parent, [&] { return build(source, control); });
    } catch (const std::bad_alloc&) {
        MessageBoxes::showMessage(
            parent, QStringLiteral("There is not enough memory to build the tree of this file."),
            QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
        return std::nullopt;
    }
}

void TreeBuildJob::setBuildForTests(Build build) {
    buildForTests() = std::move(build);
}

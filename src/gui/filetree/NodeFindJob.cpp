#include "gui/filetree/NodeFindJob.h"

#include "core/filetree/FileTree.h"
#include "gui/common/BackgroundWork.h"
#include "gui/filetree/NodeTextSearch.h"

std::optional<qint64> NodeFindJob::run(std::shared_ptr<const qm::FileTree> tree,
                                       const QString& text, qint64 first, qint64 last,
                                       bool backward, const QString& title, QWidget* parent) {
    using Work = BackgroundWork<NoBatch, qint64>;
    Work work;
    work.startWork([tree = std::move(tree), search = NodeTextSearch(text), first, last,
                    backward](Work::Reporter& run) {
        return backward ? search.findLast(*tree, first, last, &run.control())
                        : search.findFirst(*tree, first, last, &run.control());
    });
    if (!work.waitShowingProgress(
            {QStringLiteral("frmFindProgress"), title, QStringLiteral("Searching the tree...")},
            parent))
        return std::nullopt;
    return work.summary();
}

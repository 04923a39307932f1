#include "gui/shell/ClaimNavigator.h"

#include "core/filetree/FileTree.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CoreText.h"
#include "gui/common/MessageBoxes.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/ClaimFormController.h"
#include "gui/shell/frmMain.h"

ClaimNavigator::ClaimNavigator(frmMain& mainWindow, ClaimFormController& claimForms)
    : QObject(&mainWindow)
    , mainWindow_(mainWindow)
    , claimForms_(claimForms) {
}

void ClaimNavigator::setTreeWindow(frmNSFTree* tree) {
    tree_ = tree;
    // Closed is gone, even before it is deleted.
    connect(tree, &frmNSFTree::closed, this, [this, tree] {
        if (tree_ == tree)
            tree_ = nullptr;
    });
}

frmNSFTree* ClaimNavigator::treeWindow() const {
    return tree_;
}

std::optional<std::int64_t> ClaimNavigator::find(const std::string& nodeKey) {
    // A click needs the file tree; it may have been closed since.
    if (!tree_)
        mainWindow_.viewClaims();
    if (!tree_)
        return std::nullopt;
    const std::optional<std::int64_t> node = tree_->tree().findKey(nodeKey);
    if (!node)
        MessageBoxes::showMessage(&mainWindow_,
                                  QStringLiteral("The claim ") + QString::fromStdString(nodeKey) +
                                      QStringLiteral(" is not in the file tree."),
                                  QStringLiteral("Search Results"), qm::MessageIcon::Information);
    return node;
}

bool ClaimNavigator::open(const std::string& nodeKey, const std::string& record, int field) {
    const std::optional<std::int64_t> node = find(nodeKey);
    if (!node)
        return false;
    // Selected in the tree and opened as a click on it opens it.
    tree_->activateNode(*node);
    if (!record.empty())
        if (frmClaimForm* form = claimForms_.form())
            form->showField(CoreText::fromFile(record), field);
    return true;
}

bool ClaimNavigator::openTrailer(const std::string& nodeKey, std::int64_t trailerPosition,
                                 int field) {
    const std::optional<std::int64_t> node = find(nodeKey);
    if (!node)
        return false;
    tree_->showNode(*node);
    claimForms_.nodeClick(*tree_->file(), *node, trailerPosition);
    const bool batch = tree_->tree().recordType(*node) == "BA0";
    if (frmClaimForm* form = claimForms_.form())
        form->showField(batch ? QStringLiteral("YA0") : QStringLiteral("ZA0"), field);
    return true;
}

bool ClaimNavigator::select(const std::string& nodeKey) {
    const std::optional<std::int64_t> node = find(nodeKey);
    if (node)
        tree_->showNode(*node);
    return node.has_value();
}

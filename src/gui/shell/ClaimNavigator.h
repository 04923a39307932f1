#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <string>

class ClaimFormController;
class frmMain;
class frmNSFTree;

// Opens what a row of another window is about (a claim, a batch, the file
// header) as a click on it in the file tree does, building the tree again
// when it was closed, and shows one record of it with a field framed; or
// only selects the node. The search results and the problems window reach
// the tree and the claim form only through this.
class ClaimNavigator : public QObject {
    Q_OBJECT
public:
    ClaimNavigator(frmMain& mainWindow, ClaimFormController& claimForms);

    // Follows the tree window of the open file while it is open.
    void setTreeWindow(frmNSFTree* tree);
    // The open tree window, or nullptr.
    frmNSFTree* treeWindow() const;

    // Opens the file tree node with key nodeKey; then, when record is given,
    // the claim form shows that record ("FA0-2") with field `field` (index in
    // its layout; -1: none) framed. False when the node is not in the tree
    // (the user is told) or there is no tree (the user cancelled its build).
    bool open(const std::string& nodeKey, const std::string& record = {}, int field = -1);
    // Opens a batch or the file header (nodeKey) as a click does, with the
    // trailer a problem of it is about (the YA0 or ZA0 at trailerPosition)
    // shown below it, its field `field` framed.
    bool openTrailer(const std::string& nodeKey, std::int64_t trailerPosition, int field);
    // Selects the node in the tree without opening it.
    bool select(const std::string& nodeKey);

private:
    // The tree node of the key, with the tree window built again when it was
    // closed; nullopt (and the user told why) when there is none.
    std::optional<std::int64_t> find(const std::string& nodeKey);

    frmMain& mainWindow_;
    ClaimFormController& claimForms_;
    QPointer<frmNSFTree> tree_;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

class AppContext;
class QAction;
class frmClaimForm;
class frmMain;
class frmNSFTree;

namespace qm {
class OpenClaimFile;
}

// Answers node clicks in the file tree: reads the node's records into the
// record store and shows them in the one claim form, a document window of the
// main window that is created on first use (or after the user closed it) and
// reused after that. A claim whose totals do not compute is then said to be
// so in a message, unless the user turned it off (Tools > Show Totals
// Message, remembered in the settings store).
class ClaimFormController : public QObject {
    Q_OBJECT
public:
    explicit ClaimFormController(AppContext& context, QObject* parent = nullptr);

    // A click on node `node` (0-based) of the file's tree; with a
    // trailerPosition, on a batch or the file header, its trailer there is
    // read and shown below it too (qm::NodeClick).
    void nodeClick(qm::OpenClaimFile& file, std::int64_t node, std::int64_t trailerPosition = 0);
    // Answers the node clicks of a file tree window for as long as it lives.
    void connectTree(const frmNSFTree& treeWindow);
    // Adds Tools > Show Totals Message to the main window.
    void addCommands(frmMain& mainWindow);
    // Whether a claim whose totals do not compute says so in a message.
    bool showsTotalsMessage() const;
    void setShowsTotalsMessage(bool shows);

    // The claim form while it is open, or nullptr.
    frmClaimForm* form() const;

private:
    AppContext& context_;
    QPointer<frmClaimForm> form_;
    QAction* totalsMessageAction_ = nullptr;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

class AppContext;
class frmClaimForm;
class frmNSFTree;

namespace qm {
class OpenClaimFile;
}

// Answers node clicks in the file tree: reads the node's records into the
// record store and shows them in the one claim form, a document window of the
// main window that is created on first use (or after the user closed it) and
// reused after that.
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

    // The claim form while it is open, or nullptr.
    frmClaimForm* form() const;

private:
    AppContext& context_;
    QPointer<frmClaimForm> form_;
};

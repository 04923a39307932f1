#include "gui/shell/ClaimFormController.h"

#include "core/claim/NodeClick.h"
#include "core/common/MessageTexts.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/report/ReportText.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/AppContext.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileSession.h"
#include "gui/common/MessageBoxes.h"
#include "gui/filetree/frmNSFTree.h"

namespace {

// The details of the totals message: each field that does not compute, what
// the XA0 states and what the claim's records give.
QString mismatches(const qm::AssembledClaim& claim) {
    QStringList lines;
    for (const qm::TotalsComparison& comparison : claim.totals.compared)
        if (!comparison.match)
            lines.append(CoreText::fromUtf8(
                qm::ReportText::comparisonLine(comparison, claim.layouts.get())));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ClaimFormController::ClaimFormController(AppContext& context, QObject* parent)
    : QObject(parent)
    , context_(context) {
}

frmClaimForm* ClaimFormController::form() const {
    return form_;
}

void ClaimFormController::connectTree(const frmNSFTree& treeWindow) {
    connect(&treeWindow, &frmNSFTree::nodeActivated, this,
            [this, file = treeWindow.file()](qint64 node) { nodeClick(*file, node); });
}

void ClaimFormController::nodeClick(qm::OpenClaimFile& file, std::int64_t node,
                                    std::int64_t trailerPosition) {
    DocumentArea* documents = context_.documents();
    QWidget* owner = documents ? documents->window() : nullptr;

    auto claim = std::make_shared<qm::AssembledClaim>(qm::NodeClick(file, node, trailerPosition));
    if (!claim->acted || !documents)
        return;

    // A new form joins the document area only once it shows its record, so
    // that it never appears empty behind the totals message.
    if (!form_)
        form_ = new frmClaimForm();
    form_->setClaim(claim, file.tree()->key(node));

    if (!claim->totals.ok())
        MessageBoxes(owner).show(qm::MessageTexts::totalsDoNotCompute(), mismatches(*claim));

    form_->Treeview1_Reset(CoreText::fromFile(claim->clickedType));
    if (documents->activateContent(form_))
        return;
    // Forgotten as soon as its window closes (by the user, or by the main window
    // with the file): the next click makes a new one.
    DocumentWindow* document = documents->addDocument(form_);
    if (FileSession* session = context_.session())
        session->closeWithFile(form_);
    connect(document, &DocumentWindow::closed, this, [this] { form_ = nullptr; });
}

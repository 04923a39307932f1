#include "gui/claimform/ClaimFormController.h"

#include "core/claim/NodeClick.h"
#include "core/claim/TotalsCheck.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CoreText.h"
#include "gui/common/MessageBoxes.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/AppContext.h"
#include "gui/shell/DocumentArea.h"
#include "gui/shell/DocumentWindow.h"

#include <QMdiSubWindow>

ClaimFormController::ClaimFormController(AppContext& context, QObject* parent)
    : QObject(parent)
    , context_(context) {
}

frmClaimForm* ClaimFormController::form() const {
    return form_;
}

void ClaimFormController::connectTree(const frmNSFTree& treeWindow) {
    connect(&treeWindow, &frmNSFTree::nodeActivated, this,
            [this, &treeWindow](qint64 node) { nodeClick(treeWindow.tree(), node); });
}

void ClaimFormController::nodeClick(const qm::FileTree& tree, std::int64_t node) {
    DocumentArea* documents = context_.documents();
    QWidget* owner = documents ? documents->window() : nullptr;

    const qm::ClickResult click = qm::NodeClick(context_.module1(), tree, node);
    if (click.noFileOpen) {
        // The file tree outlives File > Close; its nodes then point into no file.
        MessageBoxes::showMessage(owner, QStringLiteral("No claim file is open."),
                                  QStringLiteral("Claim Form"), qm::MessageIcon::Information);
        return;
    }
    if (!click.acted || !documents)
        return;

    // A new form joins the document area only once it shows its record, so
    // that it never appears empty behind the totals message.
    if (!form_)
        form_ = new frmClaimForm(context_.module1());

    form_->clearRecordTree();
    for (const qm::ClaimFormNode& formNode : click.nodes)
        form_->addRecordNode(QString::fromStdString(formNode.key),
                             QString::fromStdString(formNode.parent));

    if (click.totalsChecked && !click.totalsOk) {
        const qm::Message message = qm::totalsMessage();
        MessageBoxes::showMessage(owner, CoreText::toQString(message.text),
                                  CoreText::toQString(message.title), message.icon,
                                  message.buttons);
    }

    form_->Treeview1_Reset(QString::fromStdString(click.RT));
    if (auto* document = qobject_cast<QMdiSubWindow*>(form_->parentWidget())) {
        documents->activateDocument(document);
        return;
    }
    // Forgotten as soon as its window closes (by the user, or by the main window
    // with the file): the next click makes a new one.
    DocumentWindow* document = documents->addDocument(form_);
    connect(document, &DocumentWindow::closed, this, [this] { form_ = nullptr; });
}

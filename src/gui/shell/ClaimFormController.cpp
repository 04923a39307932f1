#include "gui/shell/ClaimFormController.h"

#include "core/claim/NodeClick.h"
#include "core/common/MessageTexts.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/report/ReportText.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

const QString kTotalsMessageKey = QStringLiteral("Options/ShowTotalsMessage");

// A node as the file tree names it, with the batch or file header it lies in:
// "CA0: GALLOWAY, MABEL (GM000000002), in BA0: 163376737 - LINDQVIST, DESMOND".
QString nodeName(const qm::FileTree& tree, std::int64_t node) {
    QString name = CoreText::fromFile(tree.text(node));
    const std::int64_t parent = tree.parent(node);
    if (parent != qm::FileTree::kNoNode)
        name += QStringLiteral(", in ") + CoreText::fromFile(tree.text(parent));
    return name;
}

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

void ClaimFormController::addCommands(frmMain& mainWindow) {
    totalsMessageAction_ = mainWindow.insertCommand(QStringLiteral("mnuToolsTotalsMessage"),
                                                    QStringLiteral("Show &Totals Message"),
                                                    QStringLiteral("mnuToolsOptions"));
    totalsMessageAction_->setCheckable(true);
    totalsMessageAction_->setChecked(showsTotalsMessage());
    connect(totalsMessageAction_, &QAction::toggled, this,
            &ClaimFormController::setShowsTotalsMessage);
}

bool ClaimFormController::showsTotalsMessage() const {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    return !settings || settings->value(kTotalsMessageKey, true).toBool();
}

void ClaimFormController::setShowsTotalsMessage(bool shows) {
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(kTotalsMessageKey, shows);
    if (totalsMessageAction_)
        totalsMessageAction_->setChecked(shows);
}

void ClaimFormController::nodeClick(qm::OpenClaimFile& file, std::int64_t node,
                                    std::int64_t trailerPosition) {
    DocumentArea* documents = context_.documents();
    QWidget* owner = documents ? documents->window() : nullptr;

    auto claim = std::make_shared<qm::AssembledClaim>(qm::NodeClick(file, node, trailerPosition));
    if (!claim->acted || !documents)
        return;

    if (!form_)
        form_ = new frmClaimForm();
    const qm::FileTree& tree = *file.tree();
    form_->setClaim(claim, tree.key(node), nodeName(tree, node));
    form_->Treeview1_Reset(CoreText::fromFile(claim->clickedType));
    if (!documents->activateContent(form_)) {
        // Forgotten as soon as its window closes (by the user, or by the main
        // window with the file): the next click makes a new one.
        DocumentWindow* document = documents->addDocument(form_);
        if (ClaimDocument* session = context_.document())
            session->closeWithFile(form_);
        connect(document, &DocumentWindow::closed, this, [this] { form_ = nullptr; });
    }

    // Said over the form that shows the claim it is about.
    if (!claim->totals.ok() && showsTotalsMessage())
        MessageBoxes(owner).show(qm::MessageTexts::totalsDoNotCompute(), mismatches(*claim));
}

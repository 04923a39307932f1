#include "gui/shell/ClaimListCommands.h"

#include "gui/claimlist/frmClaimList.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

const QString kWindow = QStringLiteral("frmClaimList");

} // namespace

ClaimListCommands::ClaimListCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    showCommand_ =
        main.insertCommand(QStringLiteral("mnuToolsClaimList"), QStringLiteral("&Claim List"),
                           QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(showCommand_, &QAction::triggered, this, &ClaimListCommands::showList);
    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportClaimList"),
                           QStringLiteral("Export Claim &List..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &ClaimListCommands::exportList);
    connect(&main, &frmMain::fileOpenChanged, this, &ClaimListCommands::updateCommands);
    connect(&views, &DocumentViews::viewsChanged, this, &ClaimListCommands::updateCommands);
    updateCommands();
}

void ClaimListCommands::showList() {
    frmClaimList* window = views_.showClaimList();
    if (!window)
        return;
    connect(window, &frmClaimList::listingChanged, this, &ClaimListCommands::updateCommands,
            Qt::UniqueConnection);
    updateCommands();
}

void ClaimListCommands::exportList() {
    frmClaimList* window = views_.find<frmClaimList>(kWindow);
    if (!window || window->isListing())
        return;
    const ExportFile::Written written = window->exportClaims(QStringLiteral("dlgExportClaimList"),
                                                             QStringLiteral("Export Claim List"));
    if (written)
        main_.confirm(written.confirmation());
}

void ClaimListCommands::updateCommands() {
    const ClaimDocument* document = context_.document();
    showCommand_->setEnabled(document && !document->isClosed());
    const frmClaimList* window = views_.find<frmClaimList>(kWindow);
    exportCommand_->setEnabled(window && !window->isListing());
}

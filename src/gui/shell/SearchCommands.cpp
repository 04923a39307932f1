#include "gui/shell/SearchCommands.h"

#include "gui/common/WindowPositions.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QAction>

SearchCommands::SearchCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    searchCommand_ = main.insertCommand(
        QStringLiteral("mnuToolsSearchFields"), QStringLiteral("Search &Fields..."),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(searchCommand_, &QAction::triggered, this, &SearchCommands::showPanel);
    // There is something to search while a file is open.
    searchCommand_->setEnabled(main.document() != nullptr);
    connect(&main, &frmMain::fileOpenChanged, searchCommand_, &QAction::setEnabled);

    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportResults"),
                           QStringLiteral("Export &Results..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &SearchCommands::exportResults);
    connect(&views, &DocumentViews::viewsChanged, this, &SearchCommands::updateExportCommand);
    connect(&main, &frmMain::documentOpened, this, &SearchCommands::follow);
    updateExportCommand();
}

SearchCommands::~SearchCommands() {
    if (panel_ && panel_->isVisible())
        WindowPositions::save(panel_, panel_->objectName());
}

void SearchCommands::follow(ClaimDocument* document) {
    if (panel_)
        panel_->setDocument(document);
    connect(document, &ClaimDocument::searchRequested, this,
            [this](const ClaimDocument::SearchRequest& request) {
                frmSearchFields* panel = showPanel();
                panel->fill(request.match == ClaimDocument::SearchRequest::Match::Between
                                ? frmSearchFields::NumberBetween
                                : frmSearchFields::Exact,
                            request.text, request.to, request.recordType, request.fieldId);
                panel->runSearch();
            });
}

frmSearchFields* SearchCommands::showPanel() {
    if (!panel_) {
        panel_ = new frmSearchFields(&main_);
        panel_->setDocument(context_.document());
    }
    panel_->setLayouts(context_.layouts());
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
    panel_->focusSearchText();
    return panel_;
}

void SearchCommands::exportResults() {
    auto* results = views_.find<frmSearchResults>(QStringLiteral("frmSearchResults"));
    if (!results)
        return;
    const QString suggested = context_.document()
                                  ? context_.document()->besideFile(QStringLiteral("-search.csv"))
                                  : QString();
    if (const ExportFile::Written written = results->exportShownRows(
            QStringLiteral("dlgExportResults"), QStringLiteral("Export Results"), suggested))
        main_.confirm(written.confirmation());
}

void SearchCommands::updateExportCommand() {
    exportCommand_->setEnabled(views_.find<frmSearchResults>(QStringLiteral("frmSearchResults")));
}

#include "gui/shell/SummaryCommands.h"

#include "gui/common/DocumentArea.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/frmSummary.h"

#include <QAction>
#include <QMdiSubWindow>

namespace {

const QString kOnOpenKey = QStringLiteral("Options/ShowSummaryOnOpen");

} // namespace

SummaryCommands::SummaryCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    showCommand_ =
        main.insertCommand(QStringLiteral("mnuToolsSummary"), QStringLiteral("File &Summary"),
                           QStringLiteral("mnuToolsOptions"));
    connect(showCommand_, &QAction::triggered, this,
            [this] { showSummary(DocumentArea::Room::Anywhere); });
    connect(&main, &frmMain::fileOpenChanged, this, &SummaryCommands::updateCommand);
    connect(&views, &DocumentViews::viewsChanged, this, &SummaryCommands::updateCommand);
    connect(&main, &frmMain::documentOpened, this, &SummaryCommands::follow);
    updateCommand();

    onOpenCommand_ = main.insertCommand(QStringLiteral("mnuToolsSummaryOnOpen"),
                                        QStringLiteral("Show Summary on &Open"),
                                        QStringLiteral("mnuToolsOptions"));
    onOpenCommand_->setCheckable(true);
    onOpenCommand_->setChecked(showsOnOpen());
    connect(onOpenCommand_, &QAction::toggled, this, &SummaryCommands::setShowsOnOpen);
}

bool SummaryCommands::showsOnOpen() const {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    return !settings || settings->value(kOnOpenKey, true).toBool();
}

void SummaryCommands::setShowsOnOpen(bool shows) {
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(kOnOpenKey, shows);
    onOpenCommand_->setChecked(shows);
}

void SummaryCommands::follow(ClaimDocument* document) {
    connect(document, &ClaimDocument::treeBuilt, this, &SummaryCommands::updateCommand);
    connect(document, &ClaimDocument::checkEnded, this, [this, document] { checkEnded(document); });
    updateCommand();
}

void SummaryCommands::showSummary(DocumentArea::Room room) {
    if (frmSummary* window = views_.showSummary(room))
        connect(window, &frmSummary::chartSaved, &main_, &frmMain::confirm, Qt::UniqueConnection);
}

void SummaryCommands::updateCommand() {
    const ClaimDocument* document = context_.document();
    showCommand_->setEnabled(
        document && (document->tree() || views_.find<frmSummary>(QStringLiteral("frmSummary"))));
}

void SummaryCommands::checkEnded(ClaimDocument* document) {
    if (document->check().state() != ProblemMarks::State::Finished || shownFor_ == document)
        return;
    shownFor_ = document;
    if (!showsOnOpen() || views_.find<frmSummary>(QStringLiteral("frmSummary")))
        return;
    // Beside what the user is working in, which keeps the focus.
    DocumentArea* area = context_.documents();
    QMdiSubWindow* working = area ? area->activeSubWindow() : nullptr;
    showSummary(DocumentArea::Room::FreeOrMinimized);
    if (working && area)
        area->activateDocument(working);
}

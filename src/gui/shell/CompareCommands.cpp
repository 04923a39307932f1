#include "gui/shell/CompareCommands.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/FileDialog.h"
#include "gui/compare/CompareExport.h"
#include "gui/compare/CompareFeed.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/shell/ClaimFileOpening.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

CompareCommands::CompareCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    compareCommand_ =
        main.insertCommand(QStringLiteral("mnuFileCompare"), QStringLiteral("Compare &With..."),
                           QStringLiteral("mnuFileExportClaim"));
    connect(compareCommand_, &QAction::triggered, this, &CompareCommands::compareWith);
    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportComparison"),
                           QStringLiteral("Export Co&mparison..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &CompareCommands::exportComparison);
    connect(&main, &frmMain::fileOpenChanged, this, &CompareCommands::updateCommands);
    connect(&views, &DocumentViews::viewsChanged, this, &CompareCommands::updateCommands);
    updateCommands();
}

void CompareCommands::updateCommands() {
    compareCommand_->setEnabled(context_.document() != nullptr);
    exportCommand_->setEnabled(views_.find<frmCompare>(QStringLiteral("frmCompare")));
}

void CompareCommands::compareWith() {
    const QPointer<ClaimDocument> document = context_.document();
    if (!document)
        return;
    FileDialog::OpenRequest request;
    request.objectName = QStringLiteral("dlgCompareWith");
    request.caption = QStringLiteral("Compare With");
    request.filterLabel = QStringLiteral("All Files (*.*)");
    request.directory = QFileInfo(document->path()).absolutePath();
    const QString path = FileDialog::getOpenFileName(&main_, request);
    if (path.isEmpty())
        return;
    // A file whose version names no map is read with the open file's layouts.
    qm::ClaimFileOpener::Opened opened = ClaimFileOpening::open(
        QDir::toNativeSeparators(path), context_, document->file().layouts(), &main_);
    if (!opened.file || !document || context_.document() != document)
        return;
    // No export may replace file B while it is compared.
    CompareFeed::of(*document).compareWith(std::move(opened.file));
}

void CompareCommands::exportComparison() {
    auto* window = views_.find<frmCompare>(QStringLiteral("frmCompare"));
    if (!window)
        return;
    const ClaimDocument* document = context_.document();
    const CompareFeed* feed = document ? CompareFeed::find(*document) : nullptr;
    if (!feed)
        return;
    if (const ExportFile::Written written =
            CompareExport::toFile(&main_, *feed, *window->shownRows(),
                                  document->besideFile(QStringLiteral("-compare.csv"))))
        main_.confirm(written.confirmation());
}

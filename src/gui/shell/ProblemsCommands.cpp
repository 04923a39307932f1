#include "gui/shell/ProblemsCommands.h"

#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsExport.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

const QString kExportCaption = QStringLiteral("Export Problems");
const QString kExportDialog = QStringLiteral("dlgExportProblems");

} // namespace

ProblemsCommands::ProblemsCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    showCommand_ = main.insertCommand(
        QStringLiteral("mnuToolsProblems"), QStringLiteral("&Problems"),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(showCommand_, &QAction::triggered, &views, [&views] { views.showProblems(); });
    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportProblems"),
                           QStringLiteral("Export &Problems..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &ProblemsCommands::exportProblems);
    connect(&main, &frmMain::documentOpened, this, [this](ClaimDocument* document) {
        for (auto signal : {&ClaimDocument::treeBuilt, &ClaimDocument::checkStarted,
                            &ClaimDocument::checkEnded, &ClaimDocument::closing})
            connect(document, signal, this, &ProblemsCommands::updateCommands);
        updateCommands();
    });
    connect(&main, &frmMain::fileOpenChanged, this, &ProblemsCommands::updateCommands);
    updateCommands();
}

void ProblemsCommands::updateCommands() {
    const ClaimDocument* document = context_.document();
    const bool checked = document && !document->isClosed() && document->check().hasTree();
    showCommand_->setEnabled(checked);
    exportCommand_->setEnabled(checked &&
                               document->check().state() == ProblemMarks::State::Finished);
}

void ProblemsCommands::exportProblems() {
    ClaimDocument* document = context_.document();
    if (!document || document->check().state() != ProblemMarks::State::Finished)
        return;
    const QString suggested = document->besideFile(QStringLiteral("-problems.csv"));
    // The rows as the problems window shows them, or all of them in tree order.
    ExportFile::Written written;
    if (frmProblems* window = views_.find<frmProblems>(QStringLiteral("frmProblems"))) {
        written = window->exportShownRows(kExportDialog, kExportCaption, suggested);
    } else {
        const ProblemTableModel rows(document->check());
        written = ResultsExport::toFile(&main_, rows, kExportDialog, kExportCaption, suggested);
    }
    if (written)
        main_.confirm(written.confirmation());
}

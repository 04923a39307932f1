#include "gui/shell/ProblemsController.h"

#include "gui/common/AppContext.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsExport.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

const QString kExportCaption = QStringLiteral("Export Problems");
const QString kExportDialog = QStringLiteral("dlgExportProblems");

} // namespace

ProblemsController::ProblemsController(AppContext& context, frmMain& main)
    : QObject(&main)
    , context_(context)
    , main_(main) {
    showCommand_ = main.insertCommand(
        QStringLiteral("mnuToolsProblems"), QStringLiteral("&Problems"),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(showCommand_, &QAction::triggered, this, &ProblemsController::showProblems);

    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportProblems"),
                           QStringLiteral("Export &Problems..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &ProblemsController::exportProblems);
    updateCommands();
}

frmProblems* ProblemsController::window() const {
    return window_;
}

void ProblemsController::connectTree(frmNSFTree& tree) {
    tree_ = &tree;
    const ProblemCheck* check = &tree.problemCheck();
    for (auto signal : {&ProblemCheck::started, &ProblemCheck::finished})
        connect(check, signal, this, &ProblemsController::updateCommands);
    connect(check, &ProblemCheck::closing, this, [this, check] {
        // Its tree goes with it: what the window lists would lead nowhere.
        if (tree_ && &tree_->problemCheck() == check)
            tree_ = nullptr;
        if (window_ && window_->check() == check) {
            if (auto* document = qobject_cast<DocumentWindow*>(window_->parentWidget()))
                document->close();
            else
                window_->deleteLater();
        }
        updateCommands();
    });
    updateCommands();
}

void ProblemsController::updateCommands() {
    showCommand_->setEnabled(tree_ != nullptr);
    exportCommand_->setEnabled(tree_ &&
                               tree_->problemCheck().state() == ProblemCheck::State::Finished);
}

void ProblemsController::showProblems() {
    DocumentArea* documents = main_.documents();
    if (!tree_ || !documents)
        return;
    if (window_) {
        documents->activateContent(window_);
        return;
    }
    window_ = new frmProblems(tree_->problemCheck());
    window_->setWindowTitle(context_.fileWindowTitle(QStringLiteral("Problems")));
    QPointer<frmNSFTree> tree = tree_;
    connect(window_, &frmProblems::claimActivated, this, [tree](qint64 node) {
        if (tree)
            tree->activateNode(node);
    });
    documents->addDocument(window_);
}

void ProblemsController::exportProblems() {
    if (!tree_ || tree_->problemCheck().state() != ProblemCheck::State::Finished)
        return;
    const QString suggested = context_.besideOpenFile(QStringLiteral("-problems.csv"));
    // The rows as the problems window shows them, or all of them in tree order.
    if (window_ && window_->check() == &tree_->problemCheck()) {
        window_->exportShownRows(kExportDialog, kExportCaption, suggested,
                                 context_.openClaimFiles());
        return;
    }
    const ProblemTableModel rows(tree_->problemCheck());
    ResultsExport::toFile(&main_, rows, kExportDialog, kExportCaption, suggested,
                          context_.openClaimFiles());
}

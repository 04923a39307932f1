#include "gui/shell/ProblemsController.h"

#include "core/check/ProblemPlace.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemText.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsExport.h"
#include "gui/shell/ClaimNavigator.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

const QString kExportCaption = QStringLiteral("Export Problems");
const QString kExportDialog = QStringLiteral("dlgExportProblems");

} // namespace

ProblemsController::ProblemsController(AppContext& context, frmMain& main,
                                       ClaimNavigator& navigator)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , navigator_(navigator) {
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

ProblemCheck* ProblemsController::check() const {
    return check_;
}

void ProblemsController::connectTree(frmNSFTree& tree) {
    auto* check = new ProblemCheck(tree.file(), tree.file()->tree(), &tree);
    check_ = check;
    for (auto signal : {&ProblemMarks::started, &ProblemMarks::finished})
        connect(check, signal, this, &ProblemsController::updateCommands);
    connect(check, &ProblemMarks::closing, this, [this, check] {
        // Its tree goes with it: what the window lists would lead nowhere.
        if (window_ && window_->check() == check) {
            if (auto* document = qobject_cast<DocumentWindow*>(window_->parentWidget()))
                document->close();
            else
                window_->deleteLater();
        }
        if (check_ == check)
            check_ = nullptr;
        updateCommands();
    });
    tree.setProblemMarks(check);
    updateCommands();
}

void ProblemsController::updateCommands() {
    showCommand_->setEnabled(check_ != nullptr);
    exportCommand_->setEnabled(check_ && check_->state() == ProblemMarks::State::Finished);
}

void ProblemsController::showProblems() {
    DocumentArea* documents = main_.documents();
    if (!check_ || !documents)
        return;
    if (window_) {
        documents->activateContent(window_);
        return;
    }
    window_ = new frmProblems(*check_);
    if (ClaimDocument* session = context_.document()) {
        window_->setWindowTitle(session->windowTitle(QStringLiteral("Problems")));
        session->closeWithFile(window_);
    }
    connect(window_, &frmProblems::problemActivated, this,
            [this, check = QPointer<ProblemCheck>(check_)](qint64 row) {
                if (check)
                    openProblem(*check, row);
            });
    connect(window_, &frmProblems::checkAgainRequested, check_.data(), &ProblemCheck::start);
    documents->addDocument(window_);
}

void ProblemsController::openProblem(const ProblemCheck& check, qint64 row) {
    const qm::ProblemStore::Entry entry = check.problems().at(row);
    const qm::FileTree& tree = check.tree();
    const qm::ProblemPlace place = qm::ProblemPlace::of(entry, tree, check.layouts());
    const std::string key = place.node >= 0 ? tree.key(place.node) : std::string();
    switch (place.show) {
    case qm::ProblemPlace::Show::Record:
        navigator_.open(key, place.record, place.field);
        return;
    case qm::ProblemPlace::Show::Trailer:
        navigator_.openTrailer(key, place.trailerPosition, place.field);
        return;
    case qm::ProblemPlace::Show::Node:
        if (!navigator_.select(key))
            return;
        break;
    case qm::ProblemPlace::Show::Nothing:
        break;
    }
    // No record to show: the row says what is wrong, and where.
    const qm::Problem& p = entry.problem;
    QString text = ProblemText::line(entry.row(), check.layouts());
    if (p.line)
        text += QStringLiteral("\n\nLine %1 (byte %2)").arg(p.line).arg(p.position);
    MessageBoxes::showMessage(&main_, text, QStringLiteral("Problems"),
                              qm::MessageIcon::Information);
}

void ProblemsController::exportProblems() {
    if (!check_ || check_->state() != ProblemMarks::State::Finished)
        return;
    const QString suggested = context_.document()
                                  ? context_.document()->besideFile(QStringLiteral("-problems.csv"))
                                  : QString();
    // The rows as the problems window shows them, or all of them in tree order.
    ExportFile::Written written;
    if (window_ && window_->check() == check_) {
        written = window_->exportShownRows(kExportDialog, kExportCaption, suggested);
    } else {
        const ProblemTableModel rows(*check_);
        written = ResultsExport::toFile(&main_, rows, kExportDialog, kExportCaption, suggested);
    }
    if (written)
        main_.confirm(written.confirmation());
}

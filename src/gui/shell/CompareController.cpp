#include "gui/shell/CompareController.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/compare/CompareJob.h"
#include "gui/compare/CompareModel.h"
#include "gui/compare/frmClaimCompare.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/shell/ClaimFileOpening.h"
#include "gui/shell/ClaimNavigator.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

CompareController::CompareController(AppContext& context, frmMain& main, ClaimNavigator& navigator)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , navigator_(navigator) {
    compareCommand_ =
        main.insertCommand(QStringLiteral("mnuFileCompare"), QStringLiteral("Compare &With..."),
                           QStringLiteral("mnuFileExportClaim"));
    connect(compareCommand_, &QAction::triggered, this,
            qOverload<>(&CompareController::compareWith));
    exportCommand_ =
        main.insertCommand(QStringLiteral("mnuFileExportComparison"),
                           QStringLiteral("Export Co&mparison..."), QStringLiteral("mnuFileBar0"));
    connect(exportCommand_, &QAction::triggered, this, &CompareController::exportComparison);
    connect(&main, &frmMain::fileOpenChanged, this, &CompareController::updateCommands);
    updateCommands();
}

CompareController::~CompareController() {
    // A comparison still running stops; its job goes with this object.
    if (job_)
        job_->cancel();
}

frmCompare* CompareController::window() const {
    return window_;
}

frmClaimCompare* CompareController::sideBySide() const {
    return sideBySide_;
}

void CompareController::updateCommands() {
    compareCommand_->setEnabled(context_.document() != nullptr);
    exportCommand_->setEnabled(window_ != nullptr);
}

void CompareController::compareWith() {
    ClaimDocument* session = context_.document();
    if (!session)
        return;
    FileDialog::OpenRequest request;
    request.objectName = QStringLiteral("dlgCompareWith");
    request.caption = QStringLiteral("Compare With");
    request.filterLabel = QStringLiteral("All Files (*.*)");
    request.directory = QFileInfo(session->path()).absolutePath();
    const QString path = FileDialog::getOpenFileName(&main_, request);
    if (path.isEmpty())
        return;
    // A file whose version names no map is read with the open file's layouts.
    qm::ClaimFileOpener::Opened opened = ClaimFileOpening::open(
        QDir::toNativeSeparators(path), context_, session->file().layouts(), &main_);
    if (!opened.file || context_.document() != session)
        return;
    dropJob();
    a_ = session->sharedFile();
    b_ = std::move(opened.file);
    // No export may replace file B while it is compared.
    context_.setComparedFile(b_);
    showWindow()->setFiles(session->path(), CoreText::toPath(b_->path()));
    start();
}

frmCompare* CompareController::showWindow() {
    DocumentArea* documents = context_.documents();
    if (window_) {
        documents->activateContent(window_);
        return window_;
    }
    window_ = new frmCompare;
    connect(window_, &ResultsWindow::rowActivated, this, &CompareController::openRow);
    connect(window_, &frmCompare::cancelRequested, this, [this] {
        if (job_)
            job_->cancel();
    });
    connect(window_, &frmCompare::matchChanged, this, &CompareController::start);
    DocumentWindow* document = documents->addDocument(window_);
    if (ClaimDocument* session = context_.document())
        session->closeWithFile(window_);
    // The rows and both files go with the window (closed by the user, or with the file).
    connect(document, &DocumentWindow::closed, this, [this] {
        dropJob();
        window_ = nullptr;
        a_.reset();
        b_.reset();
        updateCommands();
    });
    updateCommands();
    return window_;
}

void CompareController::start() {
    if (!window_ || !a_ || !b_)
        return;
    dropJob();
    window_->model()->clear();
    job_ = new CompareJob(
        a_, b_, window_->match(),
        [window = QPointer<frmCompare>(window_)](std::vector<CompareRow>&& rows) {
            if (window)
                window->model()->append(std::move(rows));
        },
        this);
    connect(job_, &CompareJob::progressed, window_, &frmCompare::setProgress);
    connect(job_, &CompareJob::finished, this, &CompareController::finished);
    window_->setRunning(true);
    job_->start();
}

void CompareController::dropJob() {
    if (!job_)
        return;
    // Its worker stops on its own; nothing more of it is shown.
    job_->disconnect(this);
    job_->cancel();
    job_->deleteLater();
    job_ = nullptr;
    if (window_)
        window_->setRunning(false);
}

void CompareController::finished(const qm::FileComparison::Summary& summary) {
    job_->deleteLater();
    job_ = nullptr;
    if (window_)
        window_->setSummary(summary);
}

void CompareController::openRow(int row) {
    if (!window_ || !a_ || !b_)
        return;
    DocumentArea* documents = context_.documents();
    if (sideBySide_) {
        documents->activateContent(sideBySide_);
    } else {
        sideBySide_ = new frmClaimCompare;
        connect(sideBySide_, &frmClaimCompare::openRequested, this,
                [this](const std::string& key) { navigator_.open(key); });
        documents->addDocument(sideBySide_);
        if (ClaimDocument* session = context_.document())
            session->closeWithFile(sideBySide_);
    }
    sideBySide_->compare({a_, b_}, window_->model()->row(row));
}

void CompareController::exportComparison() {
    if (!window_)
        return;
    ClaimDocument* session = context_.document();
    window_->exportShownRows(
        QStringLiteral("dlgExportComparison"), QStringLiteral("Export Comparison"),
        session ? session->besideFile(QStringLiteral("-compare.csv")) : QString());
}

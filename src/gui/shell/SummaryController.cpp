#include "gui/shell/SummaryController.h"

#include "gui/common/AppContext.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/FileSession.h"
#include "gui/common/SettingsStore.h"
#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemIcons.h"
#include "gui/problems/frmProblems.h"
#include "gui/shell/ClaimNavigator.h"
#include "gui/shell/ProblemsController.h"
#include "gui/shell/SearchController.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/frmSummary.h"

#include <QAction>
#include <QDate>
#include <QMdiSubWindow>
#include <array>

namespace {

const QString kOnOpenKey = QStringLiteral("Options/ShowSummaryOnOpen");

} // namespace

SummaryController::SummaryController(AppContext& context, frmMain& main, ClaimNavigator& navigator,
                                     ProblemsController& problems, SearchController& search)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , navigator_(navigator)
    , problems_(problems)
    , search_(search) {
    showCommand_ =
        main.insertCommand(QStringLiteral("mnuToolsSummary"), QStringLiteral("File &Summary"),
                           QStringLiteral("mnuToolsOptions"));
    connect(showCommand_, &QAction::triggered, this, &SummaryController::showSummary);
    connect(&main, &frmMain::fileOpenChanged, this, &SummaryController::updateCommand);
    updateCommand();

    onOpenCommand_ = main.insertCommand(QStringLiteral("mnuToolsSummaryOnOpen"),
                                        QStringLiteral("Show Summary on &Open"),
                                        QStringLiteral("mnuToolsOptions"));
    onOpenCommand_->setCheckable(true);
    onOpenCommand_->setChecked(showsOnOpen());
    connect(onOpenCommand_, &QAction::toggled, this, &SummaryController::setShowsOnOpen);
}

bool SummaryController::showsOnOpen() const {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    return !settings || settings->value(kOnOpenKey, true).toBool();
}

void SummaryController::setShowsOnOpen(bool shows) {
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(kOnOpenKey, shows);
    onOpenCommand_->setChecked(shows);
}

void SummaryController::updateCommand() {
    showCommand_->setEnabled(context_.session() && (check_ || window_));
}

frmSummary* SummaryController::window() const {
    return window_;
}

void SummaryController::connectTree(ProblemCheck& check) {
    check_ = &check;
    updateCommand();
    connect(&check, &ProblemMarks::started, this, &SummaryController::showState);
    connect(&check, &ProblemMarks::progressed, this, &SummaryController::showState);
    connect(&check, &ProblemMarks::finished, this, [this, c = &check] { checkFinished(c); });
    connect(&check, &ProblemMarks::closing, this, [this, c = &check] {
        // The figures shown stay: they are the file's, whatever its tree.
        if (check_ == c)
            check_ = nullptr;
        updateCommand();
    });
    showState();
}

void SummaryController::checkFinished(ProblemCheck* check) {
    if (check != check_)
        return;
    showState();
    FileSession* session = context_.session();
    if (check->state() != ProblemMarks::State::Finished || !session || shownFor_ == session)
        return;
    shownFor_ = session;
    if (!showsOnOpen() || window_ || !main_.documents())
        return;
    // Beside what the user is working in, which keeps the focus.
    QMdiSubWindow* working = main_.documents()->activeSubWindow();
    open(DocumentArea::Room::FreeOrMinimized);
    if (working)
        main_.documents()->activateDocument(working);
}

void SummaryController::showState() {
    if (!window_ || !check_)
        return;
    switch (check_->state()) {
    case ProblemMarks::State::NotStarted:
    case ProblemMarks::State::Running:
        window_->setStatus(
            QStringLiteral("Reading the whole file\u2026 %1%").arg(check_->percent()));
        break;
    case ProblemMarks::State::Cancelled:
        window_->setStatus(window_->statistics()
                               ? QStringLiteral("The check was cancelled: these are the figures of "
                                                "the check before.")
                               : QStringLiteral("The check was cancelled: there are no figures."));
        break;
    case ProblemMarks::State::Finished:
        window_->setStatistics(check_->statistics());
        window_->setStatus(check_->fileChanged()
                               ? QStringLiteral("The file changed while it was read: these figures "
                                                "may be of neither the old file nor the new.")
                               : QString());
        break;
    }
}

void SummaryController::showSummary() {
    open(DocumentArea::Room::Anywhere);
}

void SummaryController::open(DocumentArea::Room room) {
    DocumentArea* documents = main_.documents();
    if (!documents)
        return;
    if (window_) {
        documents->activateContent(window_);
        return;
    }
    if (!check_)
        return;
    window_ = new frmSummary;
    std::array<QColor, qm::Problem::kKindCount> colors;
    for (int k = 0; k < qm::Problem::kKindCount; ++k)
        colors[std::size_t(k)] = ProblemIcons::color(markOf(qm::Problem::Kind(k)));
    window_->setKindColors(colors);
    if (FileSession* session = context_.session()) {
        window_->setWindowTitle(session->windowTitle(QStringLiteral("File Summary")));
        session->closeWithFile(window_);
    }
    connect(window_, &frmSummary::batchChosen, this,
            [this](qint64 position) { navigator_.select("BA0" + std::to_string(position)); });
    connect(window_, &frmSummary::kindChosen, this, [this](qm::Problem::Kind kind) {
        problems_.showProblems();
        if (frmProblems* problems = problems_.window())
            problems->showKind(kind);
    });
    connect(window_, &frmSummary::periodChosen, this,
            [this](const QDate& first, const QDate& last) {
                // The period's first and last day, as people type dates.
                search_.searchFor(frmSearchFields::NumberBetween, first.toString(Qt::ISODate),
                                  last.toString(Qt::ISODate), QStringLiteral("FA0"),
                                  QStringLiteral("05.0"));
            });
    connect(window_, &frmSummary::procedureChosen, this, [this](const QString& code) {
        search_.searchFor(frmSearchFields::Exact, code, QString(), QStringLiteral("FA0"),
                          QStringLiteral("09.0"));
    });
    connect(window_, &frmSummary::chartSaved, &main_, &frmMain::confirm);
    connect(window_, &QObject::destroyed, this, &SummaryController::updateCommand,
            Qt::QueuedConnection);
    showState();
    documents->addDocument(window_, room);
}

#include "gui/shell/LinesCommands.h"

#include "core/check/ProblemStore.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/compare/CompareModel.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/SearchResultsModel.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QMdiSubWindow>
#include <string>

namespace {

// The byte position in a file tree key ("CA0967"); 0 for none.
qint64 keyPosition(const std::string& key) {
    if (key.size() <= 3)
        return 0;
    bool number = false;
    const qint64 position = QString::fromStdString(key.substr(3)).toLongLong(&number);
    return number ? position : 0;
}

// The source row of the row current in a results window; -1 for none.
int currentRow(const ResultsWindow& window) {
    const QModelIndex current = window.table()->currentIndex();
    return current.isValid() ? window.sourceRow(current.row()) : -1;
}

} // namespace

LinesCommands::LinesCommands(AppContext& context, frmMain& main, DocumentViews& views)
    : QObject(&main)
    , context_(context)
    , main_(main)
    , views_(views) {
    linesCommand_ = main.insertCommand(
        QStringLiteral("mnuToolsFileLines"), QStringLiteral("File &Lines"),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(linesCommand_, &QAction::triggered, &views, [&views] { views.showLines(); });
    showLineCommand_ =
        main.insertCommand(QStringLiteral("mnuShowLine"), QStringLiteral("S&how Line"),
                           QStringLiteral("mnuToolsOptions"));
    connect(showLineCommand_, &QAction::triggered, this, [this] {
        if (!showLine())
            main_.confirm(QStringLiteral("Select a problem, a result, a difference or a "
                                         "record to show its line."));
    });
    connect(&main, &frmMain::fileOpenChanged, this, &LinesCommands::updateCommands);
    connect(&views, &DocumentViews::viewsChanged, this, &LinesCommands::offerInViews);
    updateCommands();
}

void LinesCommands::updateCommands() {
    const ClaimDocument* document = context_.document();
    const bool open = document && !document->isClosed();
    linesCommand_->setEnabled(open);
    showLineCommand_->setEnabled(open);
}

void LinesCommands::offerInViews() {
    for (const QString& name : {QStringLiteral("frmProblems"), QStringLiteral("frmSearchResults"),
                                QStringLiteral("frmCompare")}) {
        auto* window = views_.find<ResultsWindow>(name);
        if (!window || window->table()->actions().contains(showLineCommand_))
            continue;
        window->table()->addAction(showLineCommand_);
        window->table()->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

bool LinesCommands::showLine() {
    DocumentArea* area = context_.documents();
    QMdiSubWindow* front = area ? area->activeSubWindow() : nullptr;
    return front && showLineOf(front->widget());
}

bool LinesCommands::showLineOf(QWidget* view) {
    ClaimDocument* document = context_.document();
    if (!document || !view)
        return false;
    if (auto* problems = qobject_cast<frmProblems*>(view)) {
        const int row = currentRow(*problems);
        const auto* model = qobject_cast<ProblemTableModel*>(problems->shownRows()->sourceModel());
        const qint64 stored = row >= 0 && model ? model->storeRow(row) : -1;
        if (stored < 0 || stored >= document->check().problems().size())
            return false;
        const qm::Problem problem = document->check().problems().at(stored).problem;
        if (problem.line <= 0 && problem.position <= 0)
            return false;
        document->showLine(problem.line, problem.position);
        return true;
    }
    if (auto* results = qobject_cast<frmSearchResults*>(view)) {
        const int row = currentRow(*results);
        if (row < 0)
            return false;
        document->showLine(0, keyPosition(results->model()->claimKey(row)),
                           QString::fromStdString(results->model()->nodeKey(row)));
        return true;
    }
    if (auto* compare = qobject_cast<frmCompare*>(view)) {
        const int row = currentRow(*compare);
        if (row < 0)
            return false;
        const CompareRow difference = compare->model()->row(row);
        if (!difference.a.present() || difference.a.line <= 0)
            return false;
        document->showLine(difference.a.line);
        return true;
    }
    if (auto* form = qobject_cast<frmClaimForm*>(view)) {
        const qint64 position = keyPosition(form->claimKey());
        if (position <= 0)
            return false;
        // A claim's records are found by their keys; a header's form shows its own line.
        const bool claim = form->claimKey().rfind("CA0", 0) == 0;
        document->showLine(0, position, claim ? form->selectedRecordKey() : QString());
        return true;
    }
    return false;
}

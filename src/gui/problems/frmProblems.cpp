#include "gui/problems/frmProblems.h"

#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/ProblemText.h"
#include "gui/results/ResultsFilterModel.h"

frmProblems::frmProblems(const ProblemCheck& check, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmProblems"), QStringLiteral("gridProblems"),
                    new ProblemTableModel(check), parent)
    , check_(&check) {
    model_ = qobject_cast<ProblemTableModel*>(shownRows()->sourceModel());
    setWindowTitle(QStringLiteral("Problems"));

    QList<Category> kinds{{QStringLiteral("All kinds"), {}}};
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        kinds.append({ProblemText::kindName(ProblemKind(kind)), kind});
    setCategories(QStringLiteral("&Kind:"), kinds);

    connect(this, &ResultsWindow::rowActivated, this, [this](int row) {
        const qint64 node = model_->claimNode(row);
        if (node >= 0)
            emit claimActivated(node);
    });
    for (auto signal : {&ProblemCheck::started, &ProblemCheck::finished})
        connect(&check, signal, this, &frmProblems::showState);
    connect(&check, &ProblemCheck::progressed, this, &frmProblems::showState);
    showState();
}

void frmProblems::showState() {
    switch (check_ ? check_->state() : ProblemMarks::State::NotStarted) {
    case ProblemMarks::State::Running:
        setStatus(QStringLiteral("Checking claims\u2026 %1%").arg(check_->percent()));
        break;
    case ProblemMarks::State::Cancelled:
        setStatus(QStringLiteral("The check was cancelled: these are the problems found before."));
        break;
    default:
        setStatus(QString());
    }
}

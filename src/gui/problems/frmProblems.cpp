#include "gui/problems/frmProblems.h"

#include "gui/common/CountText.h"
#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/ProblemText.h"
#include "gui/results/ResultsFilterModel.h"

#include <QToolButton>

frmProblems::frmProblems(const ProblemCheck& check, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmProblems"), QStringLiteral("gridProblems"),
                    new ProblemTableModel(check), parent)
    , check_(&check) {
    model_ = qobject_cast<ProblemTableModel*>(shownRows()->sourceModel());
    setWindowTitle(QStringLiteral("Problems"));

    // Each name once: a claim's and a trailer's "Could not check" are one choice.
    QList<Category> kinds{{QStringLiteral("All kinds"), {}}};
    QStringList names;
    for (int kind = 0; kind < qm::Problem::kKindCount; ++kind) {
        const QString name = ProblemText::kindName(qm::Problem::Kind(kind));
        if (!names.contains(name)) {
            names.append(name);
            kinds.append({name, name});
        }
    }
    setCategories(QStringLiteral("&Kind:"), kinds);
    // What a row is about comes first; the node's text and the values give way.
    setColumnsGivingWay(
        {ProblemTableModel::Text, ProblemTableModel::Found, ProblemTableModel::Expected},
        {ProblemTableModel::Kind, ProblemTableModel::Name});

    checkAgain_ = new QToolButton(this);
    checkAgain_->setObjectName(QStringLiteral("cmdCheckAgain"));
    checkAgain_->setText(QStringLiteral("Check Again"));
    checkAgain_->hide();
    addToBar(checkAgain_);
    connect(checkAgain_, &QToolButton::clicked, this, &frmProblems::checkAgainRequested);

    connect(this, &ResultsWindow::rowActivated, this, [this](int row) {
        const qint64 stored = model_->storeRow(row);
        if (stored >= 0)
            emit problemActivated(stored);
    });
    for (auto signal : {&ProblemCheck::started, &ProblemCheck::finished})
        connect(&check, signal, this, &frmProblems::showState);
    connect(&check, &ProblemCheck::progressed, this, &frmProblems::showState);
    showState();
}

void frmProblems::showKind(qm::Problem::Kind kind) {
    chooseCategory(ProblemText::kindName(kind));
}

void frmProblems::showState() {
    const ProblemMarks::State state = check_ ? check_->state() : ProblemMarks::State::NotStarted;
    const bool changed = check_ && check_->fileChanged();
    checkAgain_->setVisible(changed);
    switch (state) {
    case ProblemMarks::State::Running:
        setStatus(QStringLiteral("Checking claims\u2026 %1%").arg(check_->percent()));
        break;
    case ProblemMarks::State::Cancelled:
        setStatus(QStringLiteral("The check was cancelled: these are the problems found before."));
        break;
    case ProblemMarks::State::Finished:
        setStatus(changed ? QStringLiteral("The file changed while it was read: %1 could not be "
                                           "read, and these rows may not be what it holds now.")
                                .arg(CountText::of(check_->notRead(), "claim", "claims"))
                          : QString());
        break;
    default:
        setStatus(QString());
    }
}

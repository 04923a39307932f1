#include "gui/problems/frmProblems.h"

#include "core/check/ProblemPlace.h"
#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"
#include "gui/common/MessageBoxes.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemText.h"
#include "gui/problems/ProblemGroupsView.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"

#include <QLayout>
#include <QToolButton>

frmProblems::frmProblems(ClaimDocument& document, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmProblems"), QStringLiteral("gridProblems"),
                    new ProblemTableModel(document.check()), parent)
    , document_(&document)
    , check_(&document.check()) {
    model_ = qobject_cast<ProblemTableModel*>(shownRows()->sourceModel());
    setWindowTitle(document.windowTitle(QStringLiteral("Problems")));
    document.closeWithFile(this);

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
    categories_ = kinds;
    setCategories(QStringLiteral("&Kind:"), kinds);
    // What a row is about comes first, its place whole (a cut key names no
    // claim); the node's text and the values give way.
    setColumnsGivingWay(
        {ProblemTableModel::Text, ProblemTableModel::Found, ProblemTableModel::Expected,
         ProblemTableModel::Message},
        {ProblemTableModel::Where, ProblemTableModel::Kind, ProblemTableModel::Name});

    checkAgain_ = new QToolButton(this);
    checkAgain_->setObjectName(QStringLiteral("cmdCheckAgain"));
    checkAgain_->setText(QStringLiteral("Check Again"));
    checkAgain_->hide();
    addToBar(checkAgain_);
    connect(checkAgain_, &QToolButton::clicked, this, [this] {
        if (check_)
            check_->startCheck();
    });

    groups_ = new ProblemGroupsView(*check_, this);
    groups_->hide();
    layout()->addWidget(groups_);
    rulesView_ = new QToolButton(this);
    rulesView_->setObjectName(QStringLiteral("cmdRulesView"));
    rulesView_->setText(QStringLiteral("&Rules"));
    rulesView_->setToolTip(
        QStringLiteral("The problems grouped by rule and kind, with their counts"));
    rulesView_->setCheckable(true);
    addToBar(rulesView_);
    connect(rulesView_, &QToolButton::toggled, this, &frmProblems::showGroups);
    connect(groups_, &ProblemGroupsView::groupChosen, this, &frmProblems::showCategory);

    connect(this, &ResultsWindow::rowActivated, this, [this](int row) {
        const qint64 stored = model_->storeRow(row);
        if (stored >= 0)
            openProblem(stored);
    });
    for (auto signal : {&ProblemCheck::checkStarted, &ProblemCheck::checkEnded})
        connect(check_, signal, this, &frmProblems::showState);
    connect(check_, &ProblemCheck::checkProgressed, this, &frmProblems::showState);
    showState();
}

void frmProblems::showKind(qm::Problem::Kind kind) {
    chooseCategory(ProblemText::kindName(kind));
}

void frmProblems::showRule(const QString& id) {
    showCategory(ProblemTableModel::categoryOfRule(id), id);
}

void frmProblems::showGroups(bool shown) {
    rulesView_->setChecked(shown);
    if (shown)
        groups_->refresh();
    table()->setVisible(!shown);
    groups_->setVisible(shown);
}

void frmProblems::showCategory(const QString& category, const QString& text) {
    if (!chooseCategory(category)) {
        categories_.append({QStringLiteral("Rule ") + text, category});
        setCategories(QStringLiteral("&Kind:"), categories_);
        chooseCategory(category);
    }
    showGroups(false);
}

void frmProblems::openProblem(qint64 row) {
    if (!check_ || !document_ || !check_->hasTree())
        return;
    const qm::ProblemStore::Entry entry = check_->problems().at(row);
    const qm::FileTree& tree = check_->tree();
    const qm::ProblemPlace place = qm::ProblemPlace::of(entry, tree, check_->layouts());
    ClaimDocument::Place where;
    where.key = place.node >= 0 ? tree.key(place.node) : std::string();
    switch (place.show) {
    case qm::ProblemPlace::Show::Record:
        where.record = place.record;
        where.field = place.field;
        document_->goTo(where);
        return;
    case qm::ProblemPlace::Show::Trailer:
        where.show = ClaimDocument::Place::Show::Trailer;
        where.trailerPosition = place.trailerPosition;
        where.field = place.field;
        where.note = CoreText::fromUtf8(qm::ProblemWords::disagreement(
            entry.row(), check_->layouts(), qm::ProblemWords::Bytes::Printable));
        document_->goTo(where);
        return;
    case qm::ProblemPlace::Show::Node:
        where.show = ClaimDocument::Place::Show::Select;
        if (!document_->goTo(where))
            return;
        break;
    case qm::ProblemPlace::Show::Nothing:
        break;
    }
    // No record to show: the row says what is wrong, and where.
    const qm::Problem& p = entry.problem;
    QString text = ProblemText::line(entry.row(), check_->layouts());
    if (p.line)
        text += QStringLiteral("\n\nLine %1 (byte %2)").arg(p.line).arg(p.position);
    MessageBoxes::showMessage(document_->ownerWindow(), text, QStringLiteral("Problems"),
                              qm::MessageIcon::Information);
}

void frmProblems::showState() {
    const ProblemMarks::State state = check_ ? check_->state() : ProblemMarks::State::NotStarted;
    // The words column is for rules' rows, whose messages no other column
    // gives; without them it would take room from what a row is about.
    const bool rules = check_ && check_->groups().kind(qm::Problem::Kind::Rule).rows > 0;
    if (table()->isColumnHidden(ProblemTableModel::Message) == rules) {
        table()->setColumnHidden(ProblemTableModel::Message, !rules);
        refitColumns();
    }
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

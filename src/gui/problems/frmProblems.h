#pragma once

#include "core/check/Problem.h"
#include "gui/document/ProblemCheck.h"
#include "gui/results/ResultsWindow.h"

#include <QPointer>

class ClaimDocument;
class ProblemGroupsView;
class ProblemTableModel;
class QToolButton;

// The problems window, a view of the document's whole-file check: every
// problem it found, one row each (gridProblems) in file order, filled while
// the check runs, with filters by kind and by text; the Rules view
// (cmdRulesView) shows them grouped by rule and kind instead, and a group
// chosen there lists its rows. Enter or a double-click
// on a row opens what it is about (qm::ProblemPlace) through the document: a
// claim on the record and field of the row, a batch or the file header with
// the trailer of the row, or the node a line belongs to, selected, with the
// row's words in a message. When the check found that the file changed while
// it was read, the window says so and offers to check again (cmdCheckAgain).
class frmProblems : public ResultsWindow {
    Q_OBJECT
public:
    // Shows the document's check; it closes with the document.
    explicit frmProblems(ClaimDocument& document, QWidget* parent = nullptr);

    ProblemTableModel* problems() const { return model_; }
    // Lists only the rows of this kind (and those worded alike).
    void showKind(qm::Problem::Kind kind);
    // Lists only the rows of this rule.
    void showRule(const QString& id);
    // The rows grouped (the Rules view) or listed.
    void showGroups(bool shown);
    ProblemGroupsView* groups() const { return groups_; }
    // The check whose problems these are, while it lasts.
    const ProblemCheck* check() const { return check_; }

private:
    void showState();
    // Lists the rows of a category, adding it to the choices when it is a rule's.
    void showCategory(const QString& category, const QString& text);
    // Opens what row `row` of the check's problems is about.
    void openProblem(qint64 row);

    QPointer<ClaimDocument> document_;
    QPointer<ProblemCheck> check_;
    ProblemTableModel* model_ = nullptr;
    QToolButton* checkAgain_ = nullptr;
    QToolButton* rulesView_ = nullptr;
    ProblemGroupsView* groups_ = nullptr;
    QList<Category> categories_;
};

#pragma once

#include "core/check/Problem.h"
#include "gui/document/ProblemCheck.h"
#include "gui/results/ResultsWindow.h"

#include <QPointer>

class ProblemTableModel;
class QToolButton;

// The problems window: every problem the whole-file check of the file tree
// found, one row each (gridProblems) in file order, filled while the check
// runs, with filters by kind and by text. Enter or a double-click on a row
// asks for what it is about to be opened (problemActivated). When the check
// found that the file changed while it was read, the window says so and
// offers to check again (cmdCheckAgain).
class frmProblems : public ResultsWindow {
    Q_OBJECT
public:
    explicit frmProblems(const ProblemCheck& check, QWidget* parent = nullptr);

    ProblemTableModel* problems() const { return model_; }
    // Lists only the rows of this kind (and those worded alike).
    void showKind(qm::Problem::Kind kind);
    // The check whose problems these are, while it lasts.
    const ProblemCheck* check() const { return check_; }

signals:
    // The row of the check's problems the user chose.
    void problemActivated(qint64 row);
    // The user asked for the file to be checked again.
    void checkAgainRequested();

private:
    void showState();

    QPointer<const ProblemCheck> check_;
    ProblemTableModel* model_ = nullptr;
    QToolButton* checkAgain_ = nullptr;
};

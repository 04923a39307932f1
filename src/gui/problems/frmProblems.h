#pragma once

#include "gui/results/ResultsWindow.h"

#include <QPointer>

class ProblemCheck;
class ProblemTableModel;

// The problems window: every problem the whole-file check of the file tree
// found, one row each (gridProblems), filled while the check runs, with
// filters by kind and by text. Enter or a double-click on a row asks for its
// claim to be opened (claimActivated).
class frmProblems : public ResultsWindow {
    Q_OBJECT
public:
    explicit frmProblems(const ProblemCheck& check, QWidget* parent = nullptr);

    ProblemTableModel* problems() const { return model_; }
    // The check whose problems these are, while it lasts.
    const ProblemCheck* check() const { return check_; }

signals:
    // The file tree node of the claim of the row the user chose.
    void claimActivated(qint64 node);

private:
    void showState();

    QPointer<const ProblemCheck> check_;
    ProblemTableModel* model_ = nullptr;
};

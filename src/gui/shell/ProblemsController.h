#pragma once

#include <QObject>
#include <QPointer>

class AppContext;
class ClaimNavigator;
class ProblemCheck;
class QAction;
class frmMain;
class frmNSFTree;
class frmProblems;

// The main window's commands on the file tree's whole-file check: Tools >
// Problems (Ctrl+Shift+P) opens the problems window of the file tree window
// (a document window, one at a time), whose rows open what they are about
// (qm::ProblemPlace) through the ClaimNavigator: a claim on the record and
// field of the row, a batch or the file header with the trailer of the row,
// or the node a line belongs to, selected, with the row's words in a message;
// File > Export Problems... writes the problems as CSV once the check has
// finished. The problems window closes with its file tree window.
class ProblemsController : public QObject {
    Q_OBJECT
public:
    // Adds mnuToolsProblems and mnuFileExportProblems to main's menus.
    ProblemsController(AppContext& context, frmMain& main, ClaimNavigator& navigator);

    // Gives a new file tree window the whole-file check of its tree (which
    // goes with the window), and follows it for as long as it lives.
    void connectTree(frmNSFTree& tree);
    // The problems window while it is open, or nullptr.
    frmProblems* window() const;

public slots:
    void showProblems();
    void exportProblems();

private:
    void updateCommands();
    // Opens what row `row` of the check's problems is about.
    void openProblem(const ProblemCheck& check, qint64 row);

    AppContext& context_;
    frmMain& main_;
    ClaimNavigator& navigator_;
    QAction* showCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
    QPointer<ProblemCheck> check_;
    QPointer<frmProblems> window_;
};

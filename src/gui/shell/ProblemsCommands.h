#pragma once

#include <QObject>

class AppContext;
class DocumentViews;
class QAction;
class frmMain;

// The main window's commands on the document's whole-file check: Tools >
// Problems (Ctrl+Shift+P) opens the problems window (a document window, one
// at a time); File > Export Problems... writes the problems as CSV once the
// check has finished: the rows the problems window shows, or all of them in
// file order when it is closed.
class ProblemsCommands : public QObject {
    Q_OBJECT
public:
    // Adds mnuToolsProblems and mnuFileExportProblems to main's menus.
    ProblemsCommands(AppContext& context, frmMain& main, DocumentViews& views);

    void exportProblems();

private:
    void updateCommands();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* showCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
};

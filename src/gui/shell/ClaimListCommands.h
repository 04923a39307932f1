#pragma once

#include <QObject>

class AppContext;
class DocumentViews;
class QAction;
class frmMain;

// The claim list: Tools > Claim List (mnuToolsClaimList, Ctrl+L) opens the
// list of the open file's claims; File > Export Claim List...
// (mnuFileExportClaimList) writes the claims it shows, in the order shown,
// as CSV with the command line's columns, once they are all listed.
class ClaimListCommands : public QObject {
    Q_OBJECT
public:
    ClaimListCommands(AppContext& context, frmMain& main, DocumentViews& views);

private:
    void showList();
    void exportList();
    void updateCommands();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* showCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
};

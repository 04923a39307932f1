#pragma once

#include <QObject>

class AppContext;
class DocumentViews;
class QAction;
class frmMain;

// File > Compare With... (mnuFileCompare) compares the open file (A) with
// another the user chooses (B), opened as File > Open opens a file, in the
// document's comparison (CompareFeed), which the comparison window shows as
// it runs. File > Export Comparison... (mnuFileExportComparison) writes the
// rows the window shows as CSV.
class CompareCommands : public QObject {
    Q_OBJECT
public:
    CompareCommands(AppContext& context, frmMain& main, DocumentViews& views);

    void compareWith();
    void exportComparison();

private:
    void updateCommands();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* compareCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
};

#pragma once

#include <QObject>
#include <QPointer>

class AppContext;
class ClaimDocument;
class DocumentViews;
class QAction;
class frmMain;
class frmSearchFields;

// The main window's commands on the field search: Tools > Search Fields...
// opens the search panel (made on first use, over the open document, kept
// for the next file); File > Export Results... writes the results window's
// rows as shown. A search another view asks for (ClaimDocument::searchFor)
// is filled into the panel and run.
class SearchCommands : public QObject {
    Q_OBJECT
public:
    SearchCommands(AppContext& context, frmMain& main, DocumentViews& views);
    // The panel open as the program ends keeps its place for the next run.
    ~SearchCommands() override;

    // Shows the panel, filled from the open file's map.
    frmSearchFields* showPanel();

private:
    void follow(ClaimDocument* document);
    void exportResults();
    void updateExportCommand();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* searchCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
    // The panel, made on first use.
    QPointer<frmSearchFields> panel_;
};

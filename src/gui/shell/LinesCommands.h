#pragma once

#include <QObject>

class AppContext;
class DocumentViews;
class QAction;
class QWidget;
class frmMain;

// The file's raw lines: Tools > File Lines (mnuToolsFileLines, Ctrl+Shift+L)
// opens the lines window; Show Line (mnuShowLine, in the Tools menu and the
// context menu of the problems, search results and comparison windows) opens
// it at the line of the row or record selected in the window in front: a
// problem's line, a search result's record, a difference's first line in
// the open file, the claim form's record.
class LinesCommands : public QObject {
    Q_OBJECT
public:
    LinesCommands(AppContext& context, frmMain& main, DocumentViews& views);

    // Show Line for the view in front; false when it has no line selected.
    bool showLine();

private:
    // The line of what view has selected, asked of the document.
    bool showLineOf(QWidget* view);
    // Show Line in the context menu of the result windows open.
    void offerInViews();
    void updateCommands();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* linesCommand_ = nullptr;
    QAction* showLineCommand_ = nullptr;
};

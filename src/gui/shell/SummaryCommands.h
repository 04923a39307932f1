#pragma once

#include "gui/common/DocumentArea.h"

#include <QObject>
#include <QPointer>

class AppContext;
class ClaimDocument;
class DocumentViews;
class QAction;
class frmMain;

// The file at a glance: Tools > File Summary (mnuToolsSummary) opens the
// summary window with the figures the document's whole-file check gathered
// as it read the file; it opens by itself beside the tree when the first
// check of a newly opened file is done, unless Tools > Show Summary on Open
// (mnuToolsSummaryOnOpen, kept in the settings) is off.
class SummaryCommands : public QObject {
    Q_OBJECT
public:
    SummaryCommands(AppContext& context, frmMain& main, DocumentViews& views);

    bool showsOnOpen() const;
    void setShowsOnOpen(bool shows);

private:
    void follow(ClaimDocument* document);
    void checkEnded(ClaimDocument* document);
    // The summary window, its saved charts confirmed in the status bar.
    void showSummary(DocumentArea::Room room);
    // File Summary is there while a file is open with a tree or a summary.
    void updateCommand();

    AppContext& context_;
    frmMain& main_;
    DocumentViews& views_;
    QAction* showCommand_ = nullptr;
    QAction* onOpenCommand_ = nullptr;
    // The file whose summary was shown when its check first finished.
    QPointer<ClaimDocument> shownFor_;
};

#pragma once

#include "gui/common/DocumentArea.h"

#include <QObject>
#include <QPointer>

class AppContext;
class ClaimNavigator;
class ClaimDocument;
class ProblemCheck;
class ProblemsController;
class QAction;
class SearchController;
class frmMain;
class frmSummary;

// The file at a glance: Tools > File Summary (mnuToolsSummary) opens the
// summary window (frmSummary, a document window, one at a time) with the
// figures the whole-file check of the file tree gathered as it read the
// file; it opens by itself beside the tree when the first check of a newly
// opened file is done, unless Tools > Show Summary on Open
// (mnuToolsSummaryOnOpen) is off. It closes with its file. Its bars open
// what they stand for: a batch or provider selects the batch in the tree,
// a kind of problem lists those in the problems window, a month or a
// procedure code runs that search in the Search Fields panel.
class SummaryController : public QObject {
    Q_OBJECT
public:
    SummaryController(AppContext& context, frmMain& main, ClaimNavigator& navigator,
                      ProblemsController& problems, SearchController& search);

    // Follows the whole-file check of a new file tree window.
    void connectTree(ProblemCheck& check);
    // The summary window while it is open, or nullptr.
    frmSummary* window() const;

    bool showsOnOpen() const;
    void setShowsOnOpen(bool shows);

public slots:
    void showSummary();

private:
    // Opens the window (or brings it forward), placed as room allows.
    void open(DocumentArea::Room room);
    void checkFinished(ProblemCheck* check);
    // The window says what the check has come to.
    void showState();
    // File Summary is there while a file is open with a check or a summary.
    void updateCommand();

    AppContext& context_;
    frmMain& main_;
    ClaimNavigator& navigator_;
    ProblemsController& problems_;
    SearchController& search_;
    QAction* showCommand_ = nullptr;
    QAction* onOpenCommand_ = nullptr;
    QPointer<ProblemCheck> check_;
    QPointer<frmSummary> window_;
    // The file whose summary was shown when its check first finished.
    QPointer<ClaimDocument> shownFor_;
};

#pragma once

#include "gui/shell/RecentFiles.h"

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class AppContext;
class ClaimDocument;
class DocumentArea;
class DocumentViews;
class QAction;
class QMdiSubWindow;
class frmClaimForm;
class QLabel;
class QMenu;

// The main window: menus, the status bar, the area of document windows, and the
// one claim file the application has open at a time, its ClaimDocument: made
// by File > Open, let go by File > Close (and the next open, and the end of
// the run), which closes every view of it and waits for its work.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(AppContext& context, QWidget* parent = nullptr);
    ~frmMain() override;

    // Opens a claim file exactly as File > Open does once a path was chosen.
    void openFile(const QString& path);

    // What opens the views of the open document: Tools > View Claims shows
    // its tree window through it, and every document opened is given to it.
    // Without views the command does nothing.
    void setViews(DocumentViews* views);
    // Makes a subsystem's menu command, named name, and adds it just before
    // the item named beforeName, in whichever menu holds it. There must be
    // such an item: a missing one is a fault of the program, reported at once.
    QAction* insertCommand(const QString& name, const QString& text, const QString& beforeName,
                           const QKeySequence& keys = {});

    DocumentArea* documents() const { return documents_; }
    // The open document, or nullptr.
    ClaimDocument* document() const;
    QString statusText() const;
    // Says for a while in the status bar what a command did ("Exported 2
    // rows to ..."); the file's own status comes back after it.
    void confirm(const QString& text);
    QString confirmation() const;

signals:
    // The window has closed for good: the application should end.
    void closed();
    // A claim file was opened (true) or closed (false).
    void fileOpenChanged(bool open);
    // A document was made for the file opened (before its tree is shown).
    void documentOpened(ClaimDocument* document);

public slots:
    void fileOpen();
    void fileClose();
    void viewClaims();
    void exportClaim();
    void showAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    void updateWindowList();
    void updateRecentFilesMenu();
    // status: the status bar's text; toolTip: all of it that may be cut off.
    void setFileState(bool open, const QString& status, const QString& toolTip = QString());
    // What is doubtful in the map of the open file, one a line; none when no file is open.
    QStringList mapWarnings() const;
    // Lets the open file go: every window that shows it closes.
    void closeFile();
    // File > Export Claim... follows the claim form of a document window.
    void followClaimForm(QMdiSubWindow* window);
    QAction* addAction(QMenu* menu, const QString& name, const QString& text);

    AppContext& context_;
    DocumentArea* documents_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* fileCloseAction_ = nullptr;
    QAction* viewClaimsAction_ = nullptr;
    QAction* exportClaimAction_ = nullptr;
    QPointer<frmClaimForm> claimForm_;
    QList<QAction*> windowListActions_;
    QList<QAction*> recentEntries_;
    QAction* recentClearAction_ = nullptr;
    RecentFiles recentFiles_;
    QPointer<DocumentViews> views_;
};

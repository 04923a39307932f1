#pragma once

#include "core/filetree/FileTree.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>
#include <memory>

class ElidedLabel;
class ClaimDocument;
class ProblemMarks;

namespace qm {
class OpenClaimFile;
}
class FileTreeModel;
class TreeDisplayFilter;
class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeView;

// The file tree window, a view of the document's tree: the open file's file
// headers, batches and claims as a tree, with the batch and claim counts in
// the status bar and the toolbar's Find and Properties commands. A click on a
// node opens it in the claim form (ClaimDocument::clickNode). Closing it
// leaves the file open, and the tree and its check with the document.
//
// It shows the document's whole-file check as it goes (progress and Cancel
// in the status bar) and marks the claims with problems, the batches and file
// headers with problems of their own, and those above claims with problems;
// F8 and Shift+F8 open the next and previous marked claim, and the toolbar's
// "Only claims with problems" hides the rest. A check that was cancelled, or
// that found the file changed while it was read, offers Check Again.
class frmNSFTree : public QWidget {
    Q_OBJECT
public:
    // Runs the load sequence over the document's tree, which it must have:
    // caption, FindIndex reset, the tree shown. The window's place is
    // restored by the document area; it closes with the document.
    explicit frmNSFTree(ClaimDocument& document, QWidget* parent = nullptr);
    ~frmNSFTree() override;

    // The tree shown; it does not change while the window lives.
    const qm::FileTree& tree() const { return *tree_; }
    // The file the tree is of.
    const std::shared_ptr<qm::OpenClaimFile>& file() const { return file_; }
    // The selected node (0-based, as tree() numbers them), or -1.
    qint64 selectedNode() const;
    // The marks of the document's whole-file check, shown in the tree.
    ProblemMarks* problemMarks() const;

signals:
    // The user clicked a node, or pressed Enter on the current one. A node
    // selected by Find does not count as a click.
    void nodeActivated(qint64 node);
    // The window has closed (it is deleted later).
    void closed();

public slots:
    // Asks for a search text and selects the next node whose text holds it
    // (the toolbar's Find, Ctrl+F).
    void FindNext();
    // Selects the next node holding the last search text without asking for
    // it, or asks as Find does when there is none yet (F3).
    void FindAgain();
    // The same towards the top of the tree (Shift+F3).
    void FindPrevious();
    // Tells the selected node's record type and byte position.
    void ShowRecordProperties();
    // Selects a node, showing every node again if it was hidden, and opens
    // it as a click on it does.
    void activateNode(qint64 node);
    // The same without opening it.
    void showNode(qint64 node);
    // Selects a node the document was asked for: quietly as showNode does,
    // or as activateNode does without opening it (the document clicks it).
    void goTo(qint64 node, bool quietly);
    // Opens the next (F8) or previous (Shift+F8) claim with problems after
    // the current node, starting again at the other end.
    void nextProblem();
    void previousProblem();
    // Go to Line: the lines window at a line or byte the user gives.
    void goToLine();
    // Checks the file again from the start (after a cancel, or a check that
    // found the file changed while it was read).
    void startCheck();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Direction { Forward, Backward };

    // Fills TreeView1 and the count panels from the document's tree.
    void BuildTree();
    void createToolbar();
    void createTreeView();
    void createStatusBar();
    void addKeyboardCommands(QAction* findButton);
    void Toolbar1ButtonClick(QAction* button);
    void find(Direction direction, bool askForText);
    void selectFoundNode(qint64 node);
    void keepFoundNodeInSight();
    void applyMinimumSize();
    QString notFoundText() const;
    void addCheckControls();
    // Follows the marks of the document's check, as far as it has come.
    void showProblemMarks();
    void showCheckState();
    // The window no narrower than its status line's least.
    void keepStatusWhole();
    void setProblemsOnly(bool on);
    // Makes a node the current and only selected one, and scrolls to it.
    void selectNode(qint64 node);

    QPointer<ClaimDocument> document_;
    std::shared_ptr<qm::OpenClaimFile> file_;
    std::shared_ptr<const qm::FileTree> tree_;
    QPointer<ProblemMarks> marks_;
    FileTreeModel* model_ = nullptr;
    QToolBar* toolbar1_ = nullptr;
    QWidget* picture1_ = nullptr;
    QTreeView* treeView1_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    ElidedLabel* panel3_ = nullptr;
    QProgressBar* checkProgress_ = nullptr;
    QToolButton* cancelCheck_ = nullptr;
    QToolButton* checkAgain_ = nullptr;
    QAction* problemsOnly_ = nullptr;
    TreeDisplayFilter* displayFilter_ = nullptr;
    // The node the last Find selected, kept in sight while the view settles.
    QPersistentModelIndex foundNode_;
};

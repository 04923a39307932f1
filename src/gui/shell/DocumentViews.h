#pragma once

#include "gui/common/DocumentArea.h"

#include <QObject>
#include <QPointer>
#include <QString>

class ClaimDocument;
class CompareFeed;
class ResultsFeed;
class frmClaimList;
class frmFileLines;
class frmNSFTree;
class frmProblems;
class frmSummary;

// The views of the open document in the main window's document area: the
// one place that knows every kind of view, and makes each where it was last,
// or brings forward the one open. It follows the document's requests (a node
// of the tree, a claim clicked, the problems of a kind) and its feeds (a
// search or a comparison started, a row to see side by side), and opens the
// view that shows what was asked; the views themselves follow the document.
// It keeps no view: each is found in the document area by its name.
class DocumentViews : public QObject {
    Q_OBJECT
public:
    // Opens views in area (it goes with the area).
    explicit DocumentViews(DocumentArea& area);

    // Follows the document opened (nullptr: none) and its requests.
    void follow(ClaimDocument* document);

    // Tools > View Claims: the tree window brought forward, or opened over a
    // tree built anew (the load sequence of the window builds it).
    void showTree();
    // The problems window over the document's check, listing only a kind (-1: all).
    frmProblems* showProblems(int kind = -1);
    // The file summary, placed as room allows; nullptr without a document.
    frmSummary* showSummary(DocumentArea::Room room);
    // The file's raw lines; nullptr without a document.
    frmFileLines* showLines();

    // The claim list of the document, brought forward or opened; nullptr without a document.
    frmClaimList* showClaimList();

    // The open view named windowName (its objectName), or nullptr; one whose
    // window is closing counts as gone.
    QWidget* findView(const QString& windowName) const;
    template <typename View> View* find(const QString& windowName) const {
        return qobject_cast<View*>(findView(windowName));
    }

signals:
    // A view was opened or closed.
    void viewsChanged();

protected:
    // The tree window of View Claims over the document's tree (a test's
    // views may make a stand-in of the same name).
    virtual QWidget* makeTreeWindow(ClaimDocument& document);

private:
    DocumentArea& area() const { return area_; }
    // The document, unless there is none or it is closing.
    ClaimDocument* openDocument() const;
    // The one view of its kind over the document, brought forward, or made
    // for it; none once the document closes.
    template <typename View> View* showOne(const QString& windowName) {
        if (auto* window = find<View>(windowName)) {
            area_.activateContent(window);
            return window;
        }
        ClaimDocument* document = openDocument();
        if (!document)
            return nullptr;
        auto* window = new View(*document);
        add(window);
        return window;
    }
    void followFeed(ResultsFeed* feed);
    // Adds a view to the area, saying when it goes.
    void add(QWidget* view, DocumentArea::Room room = DocumentArea::Room::Anywhere);
    // The tree window over the document's tree as it is.
    frmNSFTree* treeWindow();
    void showClaim();
    void showFeed(ResultsFeed* feed);
    void showSideBySide(CompareFeed* feed, int row);

    DocumentArea& area_;
    QPointer<ClaimDocument> document_;
};

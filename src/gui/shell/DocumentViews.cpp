#include "gui/shell/DocumentViews.h"

#include "gui/claimform/frmClaimForm.h"
#include "gui/claimlist/frmClaimList.h"
#include "gui/common/DocumentWindow.h"
#include "gui/compare/CompareFeed.h"
#include "gui/compare/CompareModel.h"
#include "gui/compare/frmClaimCompare.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/lines/frmFileLines.h"
#include "gui/problems/frmProblems.h"
#include "gui/search/SearchFeed.h"
#include "gui/search/frmSearchResults.h"
#include "gui/summary/SummaryBinding.h"
#include "gui/summary/frmSummary.h"

namespace {

const QString kTreeWindow = QStringLiteral("frmNSFTree");

} // namespace

DocumentViews::DocumentViews(DocumentArea& area)
    : QObject(&area)
    , area_(area) {
}

void DocumentViews::follow(ClaimDocument* document) {
    document_ = document;
    if (!document)
        return;
    // Followed before any view of it is: a view a request opens is given
    // what was asked, and follows the document from then on.
    connect(document, &ClaimDocument::nodeRequested, this, [this](qint64 node, bool quietly) {
        if (frmNSFTree* tree = treeWindow())
            tree->goTo(node, quietly);
    });
    connect(document, &ClaimDocument::claimClicked, this, &DocumentViews::showClaim);
    connect(document, &ClaimDocument::problemsRequested, this,
            [this](int kind) { showProblems(kind); });
    connect(document, &ClaimDocument::feedAdded, this, &DocumentViews::followFeed);
    connect(document, &ClaimDocument::lineRequested, this,
            [this](qint64 line, qint64 position, const QString& record) {
                if (frmFileLines* lines = showLines())
                    lines->showLine(line, position, record);
            });
}

QWidget* DocumentViews::findView(const QString& windowName) const {
    const QList<QMdiSubWindow*> windows = area_.subWindowList();
    for (QMdiSubWindow* window : windows) {
        auto* document = qobject_cast<DocumentWindow*>(window);
        if (document && !document->hasClosed() && document->windowName() == windowName)
            return document->widget();
    }
    return nullptr;
}

void DocumentViews::add(QWidget* view, DocumentArea::Room room) {
    DocumentWindow* window = area_.addDocument(view, room);
    connect(window, &DocumentWindow::closed, this, &DocumentViews::viewsChanged);
    emit viewsChanged();
}

void DocumentViews::showTree() {
    if (QWidget* existing = findView(kTreeWindow)) {
        area_.activateContent(existing);
        return;
    }
    const QPointer<ClaimDocument> document = document_;
    // Loading the window builds the tree anew, as the file is now.
    if (!document || !document->buildTree() || !document || document->isClosed())
        return;
    add(makeTreeWindow(*document));
}

QWidget* DocumentViews::makeTreeWindow(ClaimDocument& document) {
    return new frmNSFTree(document);
}

frmNSFTree* DocumentViews::treeWindow() {
    if (auto* tree = find<frmNSFTree>(kTreeWindow))
        return tree;
    // Over the tree the document has: nothing is built or checked again.
    if (!document_ || !document_->tree())
        return nullptr;
    auto* tree = new frmNSFTree(*document_);
    add(tree);
    return tree;
}

void DocumentViews::showClaim() {
    if (auto* form = find<frmClaimForm>(QStringLiteral("frmClaimForm"))) {
        area_.activateContent(form);
        return;
    }
    if (!document_)
        return;
    // Made on first use, and after the user closed it; the click it shows
    // is the document's last.
    auto* form = new frmClaimForm;
    form->setDocument(document_);
    add(form);
}

frmProblems* DocumentViews::showProblems(int kind) {
    auto* window = find<frmProblems>(QStringLiteral("frmProblems"));
    if (window) {
        area_.activateContent(window);
    } else {
        if (!document_ || !document_->check().hasTree())
            return nullptr;
        window = new frmProblems(*document_);
        add(window);
    }
    if (kind >= 0)
        window->showKind(qm::Problem::Kind(kind));
    return window;
}

frmSummary* DocumentViews::showSummary(DocumentArea::Room room) {
    if (auto* window = find<frmSummary>(QStringLiteral("frmSummary"))) {
        area_.activateContent(window);
        return window;
    }
    if (!document_ || !document_->tree())
        return nullptr;
    auto* window = new frmSummary;
    new SummaryBinding(*window, *document_);
    add(window, room);
    return window;
}

ClaimDocument* DocumentViews::openDocument() const {
    return document_ && !document_->isClosed() ? document_.data() : nullptr;
}

frmClaimList* DocumentViews::showClaimList() {
    return showOne<frmClaimList>(QStringLiteral("frmClaimList"));
}

frmFileLines* DocumentViews::showLines() {
    return showOne<frmFileLines>(QStringLiteral("frmFileLines"));
}

void DocumentViews::followFeed(ResultsFeed* feed) {
    connect(feed, &ResultsFeed::runStarted, this, [this, feed] { showFeed(feed); });
    if (auto* compare = qobject_cast<CompareFeed*>(feed))
        connect(compare, &CompareFeed::rowOpened, this,
                [this, compare](int row) { showSideBySide(compare, row); });
}

void DocumentViews::showFeed(ResultsFeed* feed) {
    if (auto* search = qobject_cast<SearchFeed*>(feed)) {
        if (auto* window = find<frmSearchResults>(QStringLiteral("frmSearchResults")))
            area_.activateContent(window);
        else
            add(new frmSearchResults(*search));
    } else if (auto* compare = qobject_cast<CompareFeed*>(feed)) {
        if (auto* window = find<frmCompare>(QStringLiteral("frmCompare")))
            area_.activateContent(window);
        else
            add(new frmCompare(*compare));
    }
}

void DocumentViews::showSideBySide(CompareFeed* compare, int row) {
    auto* view = find<frmClaimCompare>(QStringLiteral("frmClaimCompare"));
    if (view) {
        area_.activateContent(view);
    } else {
        view = new frmClaimCompare;
        view->setDocument(&compare->document());
        add(view);
    }
    view->compare({compare->fileA(), compare->fileB()}, compare->model()->row(row));
}

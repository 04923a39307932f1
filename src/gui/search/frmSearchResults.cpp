#include "gui/search/frmSearchResults.h"

#include "gui/document/ClaimDocument.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/MatchDelegate.h"
#include "gui/search/SearchFeed.h"
#include "gui/search/SearchResultsModel.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>

frmSearchResults::frmSearchResults(SearchFeed& feed, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmSearchResults"), QStringLiteral("gridResults"), feed.model(),
                    parent)
    , feed_(&feed)
    , model_(feed.model()) {
    setWindowTitle(QStringLiteral("Search Results"));
    search_ = new QLabel(this);
    search_->setObjectName(QStringLiteral("lblSearch"));
    search_->setTextFormat(Qt::PlainText);
    search_->setWordWrap(true);
    search_->setText(feed.searchedFor());
    if (auto* box = qobject_cast<QBoxLayout*>(layout()))
        box->insertWidget(0, search_);

    ResultsTableView* grid = table();
    grid->setItemDelegateForColumn(SearchResultsModel::Value,
                                   new MatchDelegate(SearchResultsModel::MatchRole, grid));
    // Columns are fitted to the rows in view only: measuring a thousand rows
    // held up the first results of a large search for tens of milliseconds.
    grid->horizontalHeader()->setResizeContentsPrecision(0);

    feed.document().closeWithFile(this);
    followFeed(&feed);
    connect(&feed, &ResultsFeed::runStarted, this, [this] {
        if (feed_)
            search_->setText(feed_->searchedFor());
    });
    connect(this, &ResultsWindow::rowActivated, this, &frmSearchResults::openResult);
}

QString frmSearchResults::searchText() const {
    return search_->text();
}

void frmSearchResults::openResult(int row) {
    if (!feed_)
        return;
    ClaimDocument::Place place;
    place.key = model_->claimKey(row);
    place.record = model_->nodeKey(row);
    place.field = model_->fieldIndex(row);
    feed_->document().goTo(place);
}

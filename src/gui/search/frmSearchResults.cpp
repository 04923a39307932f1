#include "gui/search/frmSearchResults.h"

#include "gui/results/ResultsTableView.h"
#include "gui/search/MatchDelegate.h"
#include "gui/search/SearchResultsModel.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>

frmSearchResults::frmSearchResults(SearchResultsModel* model, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmSearchResults"), QStringLiteral("gridResults"), model,
                    parent)
    , model_(model) {
    setWindowTitle(QStringLiteral("Search Results"));
    search_ = new QLabel(this);
    search_->setObjectName(QStringLiteral("lblSearch"));
    search_->setTextFormat(Qt::PlainText);
    search_->setWordWrap(true);
    if (auto* box = qobject_cast<QBoxLayout*>(layout()))
        box->insertWidget(0, search_);

    ResultsTableView* grid = table();
    grid->setItemDelegateForColumn(SearchResultsModel::Value,
                                   new MatchDelegate(SearchResultsModel::MatchRole, grid));
    // Columns are fitted to the rows in view only: measuring a thousand rows
    // held up the first results of a large search for tens of milliseconds.
    grid->horizontalHeader()->setResizeContentsPrecision(0);
}

void frmSearchResults::setSearchText(const QString& text) {
    search_->setText(text);
}

QString frmSearchResults::searchText() const {
    return search_->text();
}

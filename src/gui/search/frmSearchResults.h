#pragma once

#include "gui/results/ResultsWindow.h"

#include <QPointer>

class QLabel;
class SearchFeed;
class SearchResultsModel;

// The results of the document's field search: a results window
// (gridResults) over its rows, with the matched part of each value
// emphasised, a line above the table saying what was searched for
// (lblSearch) and, beside the count of rows, how far the search has come.
// Enter or a double-click on a result opens its claim in the claim form as a
// click on it would, with the matching field's row current.
class frmSearchResults : public ResultsWindow {
    Q_OBJECT
public:
    // Shows the feed's rows; it closes with the feed's document.
    explicit frmSearchResults(SearchFeed& feed, QWidget* parent = nullptr);

    SearchResultsModel* model() const { return model_; }
    QString searchText() const;

private:
    void openResult(int row);

    QPointer<SearchFeed> feed_;
    SearchResultsModel* model_;
    QLabel* search_ = nullptr;
};

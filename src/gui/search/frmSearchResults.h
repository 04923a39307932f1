#pragma once

#include "gui/results/ResultsWindow.h"

class QLabel;
class SearchResultsModel;

// The results of a field search: a results window (gridResults) over a
// SearchResultsModel, with the matched part of each value emphasised, a line
// above the table saying what was searched for (lblSearch) and, beside the
// count of rows, how far the search has come.
class frmSearchResults : public ResultsWindow {
    Q_OBJECT
public:
    // model becomes the window's.
    explicit frmSearchResults(SearchResultsModel* model, QWidget* parent = nullptr);

    SearchResultsModel* model() const { return model_; }
    void setSearchText(const QString& text);
    QString searchText() const;

private:
    SearchResultsModel* model_;
    QLabel* search_ = nullptr;
};

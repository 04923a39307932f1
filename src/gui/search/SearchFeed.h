#pragma once

#include "core/search/FieldSearch.h"
#include "gui/document/ResultsFeed.h"

#include <QString>
#include <cstdint>

class ClaimDocument;
class SearchResultsModel;

namespace qm {
class SearchPlan;
}

// The document's field search: the rows of the search run last (one a
// matching field, SearchResultsModel), what it looks for in words, and how far
// it has come or what came of it. The search panel runs searches through it,
// on a worker that reads the file through a reader of its own; the results
// window shows it.
class SearchFeed : public ResultsFeed {
    Q_OBJECT
public:
    // At most this many matching fields are listed; a search that finds more
    // stops there and says so.
    static constexpr std::int64_t kMaxResults = 500000;

    // The document's search, made and given to the document on first use.
    static SearchFeed& of(ClaimDocument& document);
    // The document's search if it has had one, else nullptr.
    static SearchFeed* find(const ClaimDocument& document);

    SearchResultsModel* model() const { return model_; }
    ClaimDocument& document() const { return document_; }

    // Runs a search with plan over the document's file (the one running is
    // dropped): searchedFor says in words what it looks for, comparedNote
    // (said with its outcome) which fields a number search compared in.
    void search(const qm::SearchPlan& plan, const QString& searchedFor,
                const QString& comparedNote);
    const QString& searchedFor() const { return searchedFor_; }
    QString statusText() const override { return status_; }

private:
    explicit SearchFeed(ClaimDocument& document);
    void ended(const qm::FieldSearch::Summary& summary);

    ClaimDocument& document_;
    SearchResultsModel* model_;
    QString searchedFor_;
    QString comparedNote_;
    QString status_;
};

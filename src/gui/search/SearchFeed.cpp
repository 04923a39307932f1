#include "gui/search/SearchFeed.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/search/SearchPlan.h"
#include "gui/common/CountText.h"
#include "gui/document/ClaimDocument.h"
#include "gui/search/SearchResultsModel.h"

namespace {

const QString kName = QStringLiteral("search");

QString claims(std::int64_t n) {
    return CountText::of(n, "claim", "claims");
}

} // namespace

SearchFeed& SearchFeed::of(ClaimDocument& document) {
    if (SearchFeed* feed = find(document))
        return *feed;
    auto* feed = new SearchFeed(document);
    document.addFeed(feed);
    return *feed;
}

SearchFeed* SearchFeed::find(const ClaimDocument& document) {
    return qobject_cast<SearchFeed*>(document.feed(kName));
}

SearchFeed::SearchFeed(ClaimDocument& document)
    : ResultsFeed(kName, new SearchResultsModel(document.file().layouts()))
    , document_(document)
    , model_(qobject_cast<SearchResultsModel*>(rows())) {
    connect(this, &ResultsFeed::runProgressed, this,
            [this](int percent) { status_ = QStringLiteral("Searching... %1%").arg(percent); });
}

void SearchFeed::search(const qm::SearchPlan& plan, const QString& searchedFor,
                        const QString& comparedNote) {
    const std::shared_ptr<qm::OpenClaimFile>& file = document_.sharedFile();
    searchedFor_ = searchedFor;
    comparedNote_ = comparedNote;
    status_ = QStringLiteral("Searching...");
    model_->reset(file->layouts());
    auto reader = std::make_shared<qm::SequentialFile>();
    reader->openSame(file->file());
    const WorkSeams& seams = *document_.seams();
    startRun<qm::ClaimHits, qm::FieldSearch::Summary>(
        WorkSeams::Job::Search, document_.seams(),
        [reader, file, plan, read = seams.beforeRead](const auto& add,
                                                      const qm::Progress& progress) {
            qm::FieldSearch::Options options;
            // The file tree knows where the headers and trailers are: the
            // search need not read the file for them first.
            options.index = file->headerIndex();
            options.maxFields = kMaxResults;
            options.progress = progress;
            if (read)
                options.beforeClaimRead = [read](std::int64_t position) {
                    read(WorkSeams::Job::Search, position);
                };
            return qm::FieldSearch::run(*reader, file->layouts(), plan, options,
                                        [&add](qm::ClaimHits&& claim) { add(std::move(claim)); });
        },
        [model = model_](std::vector<qm::ClaimHits>&& claims) { model->append(std::move(claims)); },
        [this](const qm::FieldSearch::Summary& summary) { ended(summary); });
}

void SearchFeed::ended(const qm::FieldSearch::Summary& summary) {
    const QString found = CountText::of(summary.fieldsMatched, "field", "fields") +
                          QStringLiteral(" in ") + claims(summary.claimsMatched);
    if (summary.cancelled)
        status_ = QStringLiteral("Search cancelled; found %1 before.").arg(found);
    else if (summary.fileChanged)
        // What was found may be in neither the old file nor the new.
        status_ = QStringLiteral("File changed while read: %1 not read; found %2. "
                                 "Search again to search the file as it is now.")
                      .arg(claims(summary.notRead), found);
    else if (summary.limited)
        status_ = QStringLiteral("Stopped at %1: narrow the search to a record type or a field.")
                      .arg(found) +
                  comparedNote_;
    else if (summary.fieldsMatched == 0)
        status_ =
            QStringLiteral("Nothing found in %1.").arg(claims(summary.claims)) + comparedNote_;
    else
        status_ = QStringLiteral("Found %1 (%2 searched).").arg(found, claims(summary.claims)) +
                  comparedNote_;
}

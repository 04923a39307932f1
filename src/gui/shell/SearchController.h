#pragma once

#include "core/search/FieldSearch.h"
#include "core/search/SearchQuery.h"

#include <QObject>
#include <QPointer>
#include <QString>

class AppContext;
class ClaimNavigator;
class frmMain;
class frmSearchFields;
class frmSearchResults;
class QAction;
class SearchJob;

// The field search of the viewer: Tools > Search Fields... opens the search
// panel; a search runs on a worker thread and fills the results window as it
// goes; Enter or a double-click on a result opens its claim in the claim form
// as a click on it would, with the matching field's row current; File >
// Export Results... writes the results shown as CSV. The results window
// closes with the file it lists claims of.
class SearchController : public QObject {
    Q_OBJECT
public:
    // At most this many matching fields are listed; a search that finds more
    // stops there and says so.
    static constexpr std::int64_t kMaxResults = 500000;

    SearchController(AppContext& context, frmMain& mainWindow, ClaimNavigator& navigator);
    ~SearchController() override;

    // Shows the search panel (made on first use), filled from the open file's map.
    void showPanel();
    frmSearchFields* panel() const;
    frmSearchResults* results() const;

private:
    void search();
    void cancel();
    void progressed(int percent);
    void finished(const qm::FieldSearch::Summary& summary);
    // Stops the running search, if any, without waiting for it.
    void dropJob();
    frmSearchResults* showResults();
    void openResult(int row);
    void exportResults();
    void updateExportAction();
    void setStatus(const QString& text, bool isError = false);

    AppContext& context_;
    frmMain& mainWindow_;
    ClaimNavigator& navigator_;
    QAction* searchAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QPointer<frmSearchFields> panel_;
    QPointer<frmSearchResults> results_;
    SearchJob* job_ = nullptr;
    QString searchedFor_; // what the running or last search looks for, in words
    // A number search over every field: which fields it compared in, said
    // with its outcome.
    QString comparedNote_;
};

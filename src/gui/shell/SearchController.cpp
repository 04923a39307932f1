#include "gui/shell/SearchController.h"

#include "core/openfile/OpenClaimFile.h"
#include "core/search/SearchPlan.h"
#include "gui/common/AppContext.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileSession.h"
#include "gui/common/WindowPositions.h"
#include "gui/search/SearchJob.h"
#include "gui/search/SearchResultsModel.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/ClaimNavigator.h"
#include "gui/shell/frmMain.h"

#include <QAction>

namespace {

QString claims(std::int64_t n) {
    return CountText::of(n, "claim", "claims");
}

// "Contains "SMITH" in CA0 04.0": what a search looks for, in words; a
// number search also says which fields it compared in ("Number > 150.00 in
// any field (amounts of money only)").
QString describe(const qm::SearchQuery& query, const qm::SearchPlan& plan,
                 const frmSearchFields& panel) {
    const QString typed = panel.searchText();
    QString what;
    switch (query.mode) {
    case qm::SearchQuery::Mode::Contains:
        what = QStringLiteral("Contains \"%1\"").arg(typed);
        break;
    case qm::SearchQuery::Mode::Exact:
        what = QStringLiteral("Exactly \"%1\"").arg(typed.trimmed());
        break;
    case qm::SearchQuery::Mode::Regex:
        what = QStringLiteral("Matches /%1/").arg(typed);
        break;
    case qm::SearchQuery::Mode::Number:
        what = QStringLiteral("Number ") + panel.comparisonText();
        break;
    }
    if (!query.field.empty())
        what += QStringLiteral(" in ") + CoreText::fromUtf8(query.field);
    else if (!query.recordType.empty())
        what += QStringLiteral(" in ") + CoreText::fromUtf8(query.recordType) +
                QStringLiteral(" records");
    else
        what += QStringLiteral(" in any field");
    if (query.mode == qm::SearchQuery::Mode::Number)
        what += QStringLiteral(" (%1%2)").arg(CoreText::fromUtf8(plan.comparedIn()),
                                              query.field.empty() ? QStringLiteral(" only")
                                                                  : QString());
    return what;
}

} // namespace

SearchController::SearchController(AppContext& context, frmMain& mainWindow,
                                   ClaimNavigator& navigator)
    : QObject(&mainWindow)
    , context_(context)
    , mainWindow_(mainWindow)
    , navigator_(navigator) {
    searchAction_ = mainWindow.insertCommand(
        QStringLiteral("mnuToolsSearchFields"), QStringLiteral("Search &Fields..."),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(searchAction_, &QAction::triggered, this, &SearchController::showPanel);
    // There is something to search while a file is open.
    searchAction_->setEnabled(mainWindow.session() != nullptr);
    connect(&mainWindow, &frmMain::fileOpenChanged, searchAction_, &QAction::setEnabled);

    exportAction_ = mainWindow.insertCommand(QStringLiteral("mnuFileExportResults"),
                                             QStringLiteral("Export &Results..."),
                                             QStringLiteral("mnuFileBar0"));
    connect(exportAction_, &QAction::triggered, this, &SearchController::exportResults);
    updateExportAction();
}

SearchController::~SearchController() {
    // A search still running is stopped; its job goes with this object.
    if (job_)
        job_->cancel();
    // The panel open as the program ends keeps its place for the next run.
    if (panel_ && panel_->isVisible())
        WindowPositions::save(panel_, panel_->objectName());
}

frmSearchFields* SearchController::panel() const {
    return panel_;
}

frmSearchResults* SearchController::results() const {
    return results_;
}

void SearchController::showPanel() {
    if (!panel_) {
        panel_ = new frmSearchFields(&mainWindow_);
        connect(panel_, &frmSearchFields::searchRequested, this, &SearchController::search);
        connect(panel_, &frmSearchFields::cancelRequested, this, &SearchController::cancel);
    }
    panel_->setLayouts(context_.layouts());
    panel_->setRunning(job_ != nullptr);
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
    panel_->focusSearchText();
}

void SearchController::searchFor(frmSearchFields::Match match, const QString& text,
                                 const QString& to, const QString& recordType,
                                 const QString& fieldId) {
    showPanel();
    panel_->fill(match, text, to, recordType, fieldId);
    search();
}

void SearchController::setStatus(const QString& text, bool isError) {
    if (panel_)
        panel_->setStatus(text, isError);
    if (results_ && !isError)
        results_->setStatus(text);
}

void SearchController::search() {
    FileSession* session = context_.session();
    if (!session) {
        setStatus(QStringLiteral("No claim file is open."), true);
        return;
    }
    const std::shared_ptr<qm::OpenClaimFile>& file = session->sharedFile();
    const std::shared_ptr<const qm::LayoutCatalogue>& layouts = file->layouts();
    // The map may have changed with the file since the panel was filled.
    if (panel_->layouts() != layouts)
        panel_->setLayouts(layouts);
    qm::SearchQuery query;
    qm::SearchPlan plan;
    std::string error;
    const bool prepared = panel_->query(query, error) && plan.prepare(query, layouts, error);
    // A map without fields: the viewer says so rather than search nothing.
    if (prepared && plan.empty())
        error = "no fields in the map of this file";
    if (!prepared || plan.empty()) {
        QString message = CoreText::fromUtf8(error);
        message[0] = message[0].toUpper();
        setStatus(message + QLatin1Char('.'), true);
        return;
    }
    dropJob();
    searchedFor_ = describe(query, plan, *panel_);
    comparedNote_ = query.mode == qm::SearchQuery::Mode::Number && query.field.empty()
                        ? QStringLiteral(" Only fields of %1 were compared.")
                              .arg(CoreText::fromUtf8(plan.comparedIn()))
                        : QString();
    frmSearchResults* window = showResults();
    window->model()->reset(layouts);
    window->setSearchText(searchedFor_);

    // The file tree knows where the headers and trailers are: the search
    // need not read the file for them first.
    job_ = new SearchJob(
        file, plan, kMaxResults,
        [results = QPointer<frmSearchResults>(window)](std::vector<qm::ClaimHits>&& claims) {
            if (results)
                results->model()->append(std::move(claims));
        },
        this);
    connect(job_, &SearchJob::progressed, this, &SearchController::progressed);
    connect(job_, &SearchJob::finished, this, &SearchController::finished);
    panel_->setRunning(true);
    setStatus(QStringLiteral("Searching..."));
    job_->start();
}

void SearchController::cancel() {
    if (job_)
        job_->cancel();
}

void SearchController::dropJob() {
    if (!job_)
        return;
    // Its worker stops on its own; nothing more of it is shown.
    job_->disconnect(this);
    job_->cancel();
    job_->deleteLater();
    job_ = nullptr;
    if (panel_)
        panel_->setRunning(false);
}

void SearchController::progressed(int percent) {
    if (panel_)
        panel_->setProgress(percent);
    setStatus(QStringLiteral("Searching... %1%").arg(percent));
}

void SearchController::finished(const qm::FieldSearch::Summary& summary) {
    job_->deleteLater();
    job_ = nullptr;
    if (panel_)
        panel_->setRunning(false);
    const QString found = CountText::of(summary.fieldsMatched, "field", "fields") +
                          QStringLiteral(" in ") + claims(summary.claimsMatched);
    if (summary.cancelled)
        setStatus(QStringLiteral("Search cancelled; found %1 before.").arg(found));
    else if (summary.fileChanged)
        // What was found may be in neither the old file nor the new.
        setStatus(QStringLiteral("File changed while read: %1 not read; found %2. "
                                 "Search again to search the file as it is now.")
                      .arg(claims(summary.notRead), found));
    else if (summary.limited)
        setStatus(QStringLiteral("Stopped at %1: narrow the search to a record type or a field.")
                      .arg(found) +
                  comparedNote_);
    else if (summary.fieldsMatched == 0)
        setStatus(QStringLiteral("Nothing found in %1.").arg(claims(summary.claims)) +
                  comparedNote_);
    else
        setStatus(QStringLiteral("Found %1 (%2 searched).").arg(found, claims(summary.claims)) +
                  comparedNote_);
}

frmSearchResults* SearchController::showResults() {
    DocumentArea* documents = context_.documents();
    if (results_) {
        documents->activateContent(results_);
        return results_;
    }
    results_ = new frmSearchResults(new SearchResultsModel(context_.layouts()));
    connect(results_, &ResultsWindow::rowActivated, this, &SearchController::openResult);
    DocumentWindow* document = documents->addDocument(results_);
    if (FileSession* session = context_.session())
        session->closeWithFile(results_);
    // The results go with their window (closed by the user, or with the file).
    connect(document, &DocumentWindow::closed, this, [this] {
        dropJob();
        results_ = nullptr;
        updateExportAction();
    });
    updateExportAction();
    return results_;
}

void SearchController::openResult(int row) {
    if (!results_)
        return;
    const SearchResultsModel& model = *results_->model();
    navigator_.open(model.claimKey(row), model.nodeKey(row), model.fieldIndex(row));
}

void SearchController::exportResults() {
    if (!results_)
        return;
    const QString suggested = context_.session()
                                  ? context_.session()->besideFile(QStringLiteral("-search.csv"))
                                  : QString();
    if (const ExportFile::Written written = results_->exportShownRows(
            QStringLiteral("dlgExportResults"), QStringLiteral("Export Results"), suggested))
        mainWindow_.confirm(written.confirmation());
}

void SearchController::updateExportAction() {
    exportAction_->setEnabled(results_ != nullptr);
}

#include "gui/shell/SearchController.h"

#include "core/check/HeaderIndex.h"
#include "core/search/SearchPlan.h"
#include "gui/claimform/ClaimFormController.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/AppContext.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/WindowPositions.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/search/SearchJob.h"
#include "gui/search/SearchResultsModel.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QLocale>

namespace {

QString number(std::int64_t n) {
    return QLocale().toString(qlonglong(n));
}

// "Contains "SMITH" in CA0 04.0": what a search looks for, in words.
QString describe(const qm::SearchQuery& query, const QString& typed) {
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
    case qm::SearchQuery::Mode::Number: {
        static const char* const kCompare[] = {"=", "<", ">"};
        what = query.compare == qm::SearchQuery::Compare::Between
                   ? QStringLiteral("Number from %1 to %2").arg(query.number).arg(query.upTo)
                   : QStringLiteral("Number %1 %2")
                         .arg(QLatin1String(kCompare[int(query.compare)]))
                         .arg(query.number);
        break;
    }
    }
    if (!query.field.empty())
        return what + QStringLiteral(" in ") + CoreText::fromUtf8(query.field);
    if (!query.recordType.empty())
        return what + QStringLiteral(" in ") + CoreText::fromUtf8(query.recordType) +
               QStringLiteral(" records");
    return what + QStringLiteral(" in any field");
}

} // namespace

SearchController::SearchController(AppContext& context, frmMain& mainWindow,
                                   ClaimFormController& claimForms)
    : QObject(&mainWindow)
    , context_(context)
    , mainWindow_(mainWindow)
    , claimForms_(claimForms) {
    searchAction_ = mainWindow.insertCommand(
        QStringLiteral("mnuToolsSearchFields"), QStringLiteral("Search &Fields..."),
        QStringLiteral("mnuToolsOptions"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(searchAction_, &QAction::triggered, this, &SearchController::showPanel);
    // There is something to search while there is a file to view.
    if (auto* viewClaims = mainWindow.findChild<QAction*>(QStringLiteral("mnuClaimForm"))) {
        auto follow = [this, viewClaims] {
            searchAction_->setEnabled(viewClaims->isEnabled());
        };
        connect(viewClaims, &QAction::changed, this, follow);
        follow();
    }

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

frmNSFTree* SearchController::treeWindow() const {
    // The open tree window, found where it is shown: one closed a moment ago
    // is gone from there before it is deleted.
    DocumentWindow* document =
        context_.documents() ? context_.documents()->findDocument(QStringLiteral("frmNSFTree"))
                             : nullptr;
    return document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
}

void SearchController::showPanel() {
    if (!panel_) {
        panel_ = new frmSearchFields(&mainWindow_);
        connect(panel_, &frmSearchFields::searchRequested, this, &SearchController::search);
        connect(panel_, &frmSearchFields::cancelRequested, this, &SearchController::cancel);
    }
    panel_->setLayouts(context_.module1().RecordLayouts);
    panel_->setRunning(job_ != nullptr);
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
    panel_->focusSearchText();
}

void SearchController::setStatus(const QString& text, bool isError) {
    if (panel_)
        panel_->setStatus(text, isError);
    if (results_ && !isError)
        results_->setStatus(text);
}

void SearchController::search() {
    qm::Module1& m = context_.module1();
    const qm::SequentialFile* file = m.openFile();
    if (!file) {
        setStatus(QStringLiteral("No claim file is open."), true);
        return;
    }
    // The map may have changed with the file since the panel was filled.
    if (panel_->layouts() != m.RecordLayouts)
        panel_->setLayouts(m.RecordLayouts);
    qm::SearchQuery query;
    qm::SearchPlan plan;
    std::string error;
    const bool prepared =
        panel_->query(query, error) && plan.prepare(query, m.RecordLayouts, error);
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
    searchedFor_ = describe(query, panel_->searchText());
    frmSearchResults* window = showResults();
    window->model()->reset(m.RecordLayouts);
    window->setSearchText(searchedFor_);

    // The file tree knows where the headers and trailers are: the search
    // need not read the file for them first.
    std::shared_ptr<const qm::HeaderIndex> index;
    if (const frmNSFTree* tree = treeWindow())
        index = std::make_shared<qm::HeaderIndex>(tree->tree());
    job_ = new SearchJob(*file, m.RecordLayouts, plan, std::move(index), kMaxResults, this);
    connect(job_, &SearchJob::found, this, &SearchController::found);
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
    job_->disconnect(this);
    job_->cancel();
    job_->deleteWhenFinished();
    job_ = nullptr;
    if (panel_)
        panel_->setRunning(false);
}

void SearchController::found(std::vector<qm::ClaimHits>& claims) {
    if (results_)
        results_->model()->append(claims);
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
    const QString found = QStringLiteral("%1 fields in %2 claims")
                              .arg(number(summary.fieldsMatched), number(summary.claimsMatched));
    if (summary.cancelled)
        setStatus(QStringLiteral("Search cancelled; found %1 before.").arg(found));
    else if (summary.limited)
        setStatus(QStringLiteral("Stopped at %1: narrow the search to a record type or a field.")
                      .arg(found));
    else if (summary.fieldsMatched == 0)
        setStatus(QStringLiteral("Nothing found in %1 claims.").arg(number(summary.claims)));
    else
        setStatus(
            QStringLiteral("Found %1 (%2 claims searched).").arg(found, number(summary.claims)));
}

frmSearchResults* SearchController::showResults() {
    DocumentArea* documents = context_.documents();
    if (results_) {
        documents->activateContent(results_);
        return results_;
    }
    results_ = new frmSearchResults(new SearchResultsModel(context_.module1().RecordLayouts));
    connect(results_, &ResultsWindow::rowActivated, this, &SearchController::openResult);
    DocumentWindow* document = documents->addDocument(results_);
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
    const std::string key = model.claimKey(row);
    const std::string node = model.nodeKey(row);
    const int field = model.fieldIndex(row);
    // A click needs the file tree; it may have been closed since the search.
    if (!treeWindow())
        mainWindow_.viewClaims();
    frmNSFTree* tree = treeWindow();
    if (!tree)
        return; // the user cancelled the tree build
    const auto found = tree->tree().findKey(key);
    if (!found) {
        MessageBoxes::showMessage(&mainWindow_,
                                  QStringLiteral("The claim ") + QString::fromStdString(key) +
                                      QStringLiteral(" is not in the file tree."),
                                  QStringLiteral("Search Results"), qm::MessageIcon::Information);
        return;
    }
    // Selected in the tree and opened as a click on it opens it.
    tree->activateNode(*found);
    showField(node, field);
}

void SearchController::showField(const std::string& node, int field) {
    if (frmClaimForm* form = claimForms_.form())
        form->showField(CoreText::fromFile(node), field);
}

void SearchController::exportResults() {
    if (!results_)
        return;
    const QString suggested = context_.besideOpenFile(QStringLiteral("-search.csv"));
    results_->exportShownRows(QStringLiteral("dlgExportResults"), QStringLiteral("Export Results"),
                              suggested);
}

void SearchController::updateExportAction() {
    exportAction_->setEnabled(results_ != nullptr);
}

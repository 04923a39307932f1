#include "gui/claimlist/frmClaimList.h"

#include "core/filetree/FileTree.h"
#include "core/filter/ClaimFilter.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimlist/ClaimListModel.h"
#include "gui/common/CountText.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/ExportProgress.h"
#include "gui/common/FilterBar.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ClaimFilterJob.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"

#include <QHeaderView>
#include <QLabel>

namespace {

const QString kHistoryKey = QStringLiteral("Filters/ClaimFilter");

} // namespace

frmClaimList::frmClaimList(ClaimDocument& document, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmClaimList"), QStringLiteral("gridClaims"),
                    new ClaimListModel(document.file().layouts()), parent)
    , document_(&document) {
    model_ = static_cast<ClaimListModel*>(shownRows()->sourceModel());
    setWindowTitle(document.windowTitle(QStringLiteral("Claim List")));
    // Columns are fitted to the rows in view only, as the search results' are.
    table()->horizontalHeader()->setResizeContentsPrecision(0);
    setColumnsGivingWay({ClaimListModel::Provider, ClaimListModel::Patient}, {ClaimListModel::Key});

    auto* label = new QLabel(QStringLiteral("Claim &filter:"), this);
    bar_ = new FilterBar(QStringLiteral("cboClaimFilter"), kHistoryKey, this);
    label->setBuddy(bar_);
    bar_->setCheck([layouts = document.file().layouts()](const QString& expression) {
        qm::ClaimFilter filter;
        qm::FilterError error;
        if (!layouts || qm::ClaimFilter::compile(expression.toStdString(), *layouts, filter, error))
            return QString();
        return QString::fromStdString(error.message());
    });
    addToBar(label);
    // The expressions are longer than the words looked for in the rows.
    addToBar(bar_, 2);
    connect(bar_, &FilterBar::applied, this, &frmClaimList::list);

    job_ = new ClaimFilterJob(document, this);
    connect(job_, &ClaimFilterJob::rowsArrived, model_, &ClaimListModel::append);
    connect(job_, &ClaimFilterJob::progressed, this, [this](int percent) {
        setStatus(QStringLiteral("Listing claims\u2026 %1%").arg(percent));
    });
    connect(job_, &ClaimFilterJob::ended, this, &frmClaimList::listed);
    connect(this, &ResultsWindow::rowActivated, this, &frmClaimList::openClaim);
    document.closeWithFile(this);
    list(QString());
}

frmClaimList::~frmClaimList() = default;

bool frmClaimList::isListing() const {
    return job_->isRunning();
}

void frmClaimList::waitForListed() {
    job_->waitForFinished();
}

void frmClaimList::list(const QString& expression) {
    std::shared_ptr<qm::ClaimFilter> filter;
    const auto layouts = document_ ? document_->file().layouts() : nullptr;
    if (!expression.isEmpty()) {
        filter = std::make_shared<qm::ClaimFilter>();
        qm::FilterError error;
        if (!layouts ||
            !qm::ClaimFilter::compile(expression.toStdString(), *layouts, *filter, error))
            return;
    }
    model_->clear();
    // Keys grow longer down the file: the column fits the last one's length.
    if (const auto tree = document_ ? document_->tree() : nullptr; tree && !tree->empty())
        setWidestText(ClaimListModel::Key,
                      QStringLiteral("CA0") + QString::number(tree->position(tree->size() - 1)));
    // The whole is not known until the pass has counted the file's claims.
    setCountOfWhole(-1, "", "");
    setStatus(QStringLiteral("Listing claims\u2026"));
    job_->start(std::move(filter), true);
    emit listingChanged(true);
}

void frmClaimList::listed() {
    if (job_->wasCancelled())
        setStatus(QStringLiteral("Listing cancelled"));
    else if (job_->summary().fileChanged)
        setStatus(QStringLiteral("The file changed while it was listed: list it again"));
    else
        setStatus(QString());
    if (!job_->wasCancelled())
        setCountOfWhole(job_->summary().claims, "claim", "claims");
    refitColumns();
    emit listingChanged(false);
}

void frmClaimList::openClaim(int row) {
    if (!document_ || row < 0 || row >= model_->rowCount())
        return;
    ClaimDocument::Place place;
    place.key = model_->key(row);
    document_->goTo(place);
}

ExportFile::Written frmClaimList::exportClaims(const QString& dialogName, const QString& caption) {
    std::vector<int> order;
    const int shown = shownRows()->rowCount();
    order.reserve(std::size_t(shown));
    for (int row = 0; row < shown; ++row)
        order.push_back(sourceRow(row));
    ExportFile::Request request;
    request.dialog.objectName = dialogName;
    request.dialog.caption = caption;
    request.dialog.filters = QStringList{QStringLiteral("CSV (*.csv)")};
    request.dialog.fileName = ExportFolder::suggest(
        document_ ? document_->besideFile(QStringLiteral("-claims.csv")) : QString());
    request.what = CountText::of(shown, "claim", "claims");
    ExportProgress progress(this, caption, shown);
    progress.tellFailures(request);
    const ExportFile::Written written = ExportFile::save(
        this, request, [this, &order, &progress](std::ostream& out, const QString&) {
            return model_->writeCsv(out, order, progress);
        });
    if (written)
        ExportFolder::remember(written.path);
    return written;
}

#include "gui/filetree/TreeDisplayFilter.h"

#include "core/filter/ClaimFilter.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/CountText.h"
#include "gui/common/FilterBar.h"
#include "gui/common/StatusProgressBar.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ClaimFilterJob.h"
#include "gui/filetree/FileTreeModel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kHistoryKey = QStringLiteral("Filters/DisplayFilter");

} // namespace

TreeDisplayFilter::TreeDisplayFilter(ClaimDocument& document, FileTreeModel& model, QWidget* parent)
    : QObject(parent)
    , document_(document)
    , model_(model) {
    bar_ = new FilterBar(QStringLiteral("cboDisplayFilter"), kHistoryKey, parent);
    bar_->setCheck([this](const QString& expression) {
        const auto layouts = document_.file().layouts();
        if (!layouts)
            return QStringLiteral("The file has no layouts to filter by");
        qm::ClaimFilter filter;
        qm::FilterError error;
        if (qm::ClaimFilter::compile(expression.toStdString(), *layouts, filter, error))
            return QString();
        return QString::fromStdString(error.message());
    });
    connect(bar_, &FilterBar::applied, this, &TreeDisplayFilter::apply);

    // Under the bar rather than in the status bar, where the tree's counts
    // and the check's progress leave no room in a window of the tree's width.
    row_ = new QWidget(parent);
    auto* layout = new QHBoxLayout(row_);
    layout->setContentsMargins(0, 0, 0, 0);
    shown_ = new QLabel(row_);
    shown_->setObjectName(QStringLiteral("lblShowing"));
    shown_->setWordWrap(true);
    layout->addWidget(shown_, 1);
    progress_ = new StatusProgressBar(QStringLiteral("Filtering\u2026"), row_);
    progress_->setObjectName(QStringLiteral("prgFilter"));
    // Its row has room for its words.
    const QFontMetrics metrics = progress_->fontMetrics();
    progress_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Filtering\u2026 100%")) +
                               metrics.averageCharWidth() * 4);
    progress_->setMaximumWidth(200);
    layout->addWidget(progress_);
    cancel_ = new QToolButton(row_);
    cancel_->setObjectName(QStringLiteral("cmdCancelFilter"));
    cancel_->setAutoRaise(true);
    cancel_->setIcon(parent->style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel_->setToolTip(QStringLiteral("Cancel the filter"));
    layout->addWidget(cancel_);

    job_ = new ClaimFilterJob(document, this);
    connect(job_, &ClaimFilterJob::rowsArrived, this, [this](const FilteredClaims& rows) {
        for (const FilteredClaims::Row& row : rows.rows)
            if (row.node >= 0)
                found_.push_back(row.node);
    });
    connect(job_, &ClaimFilterJob::progressed, progress_, &QProgressBar::setValue);
    connect(job_, &ClaimFilterJob::ended, this, &TreeDisplayFilter::ended);
    connect(cancel_, &QToolButton::clicked, job_, &ClaimFilterJob::cancel);
    showState();
}

TreeDisplayFilter::~TreeDisplayFilter() = default;

bool TreeDisplayFilter::isRunning() const {
    return job_->isRunning();
}

bool TreeDisplayFilter::setProblemsOnly(bool on) {
    problemsOnly_ = on;
    if (!isActive())
        return false;
    run();
    return true;
}

void TreeDisplayFilter::clear() {
    if (isActive() || !bar_->currentText().isEmpty())
        bar_->clearFilter();
}

void TreeDisplayFilter::apply(const QString& expression) {
    expression_ = expression;
    if (expression.isEmpty()) {
        job_->cancel();
        found_.clear();
        model_.setShownClaims(nullptr);
        showState();
        emit cleared();
        return;
    }
    run();
}

void TreeDisplayFilter::run() {
    const auto layouts = document_.file().layouts();
    auto filter = std::make_shared<qm::ClaimFilter>();
    qm::FilterError error;
    // "Only claims with problems" narrows what the filter chooses.
    const std::string expression = problemsOnly_ ? "problem && (" + expression_.toStdString() + ")"
                                                 : expression_.toStdString();
    if (!layouts || !qm::ClaimFilter::compile(expression, *layouts, *filter, error))
        return;
    found_.clear();
    job_->start(std::move(filter), false);
    showState();
}

void TreeDisplayFilter::ended() {
    if (!job_->wasCancelled() && !job_->summary().fileChanged && isActive()) {
        model_.setShownClaims(std::make_shared<const std::vector<std::int64_t>>(std::move(found_)));
        shown_->setText(QStringLiteral("Showing %1 of %2 claims")
                            .arg(CountText::number(job_->summary().matched),
                                 CountText::number(job_->summary().claims)));
    } else if (isActive()) {
        // What the tree showed stays; it is not this filter's.
        shown_->setText(job_->summary().fileChanged
                            ? QStringLiteral("The file changed while it was filtered")
                            : QStringLiteral("Filter cancelled"));
    }
    found_ = {};
    showState();
}

void TreeDisplayFilter::showState() {
    const bool running = job_->isRunning();
    progress_->setVisible(running);
    cancel_->setVisible(running);
    if (running)
        progress_->setValue(job_->percent());
    shown_->setVisible(isActive());
    row_->setVisible(isActive() || running);
}

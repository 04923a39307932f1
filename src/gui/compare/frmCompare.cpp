#include "gui/compare/frmCompare.h"

#include "gui/common/Controls.h"
#include "gui/common/CountText.h"
#include "gui/compare/CompareModel.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QString number(std::int64_t n) {
    return CountText::number(n);
}

// "2 claims, 1 batch": the units that differ, by kind of unit.
QString differing(const qm::FileComparison::Summary& summary) {
    static const char* const kOne[] = {"file header", "batch", "claim"};
    static const char* const kMany[] = {"file headers", "batches", "claims"};
    QStringList parts;
    for (int unit = 2; unit >= 0; --unit) {
        const std::int64_t n = summary.count(qm::CompareUnit(unit));
        if (n)
            parts << number(n) + QLatin1Char(' ') +
                         QString::fromLatin1(n == 1 ? kOne[unit] : kMany[unit]);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

frmCompare::frmCompare(QWidget* parent)
    : ResultsWindow(QStringLiteral("frmCompare"), QStringLiteral("gridCompare"), new CompareModel,
                    parent) {
    model_ = qobject_cast<CompareModel*>(shownRows()->sourceModel());
    setWindowTitle(QStringLiteral("Compare"));

    QList<Category> kinds{{QStringLiteral("All kinds"), {}}};
    for (int kind = 0; kind < qm::kDifferenceKindCount; ++kind)
        kinds.append({CompareModel::kindText(qm::DifferenceKind(kind)), kind});
    setCategories(QStringLiteral("&Kind:"), kinds);

    files_ = Controls::label(this, QStringLiteral("lblFiles"), QString());
    files_->setTextFormat(Qt::PlainText);
    files_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    files_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    match_ = new QComboBox(this);
    match_->setObjectName(QStringLiteral("cboMatch"));
    match_->addItem(QStringLiteral("Control number and provider"),
                    int(qm::FileComparison::Match::ControlNumber));
    match_->addItem(QStringLiteral("Order in the file"), int(qm::FileComparison::Match::Position));
    auto* matchLabel =
        Controls::label(this, QStringLiteral("lblMatch"), QStringLiteral("&Pair claims by:"));
    matchLabel->setBuddy(match_);
    connect(match_, qOverload<int>(&QComboBox::activated), this, &frmCompare::matchChanged);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancelCompare"));
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel_->setToolTip(QStringLiteral("Cancel the comparison"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &frmCompare::cancelRequested);

    auto* top = new QHBoxLayout;
    top->addWidget(files_, 1);
    top->addWidget(matchLabel);
    top->addWidget(match_);
    if (auto* box = qobject_cast<QBoxLayout*>(layout())) {
        box->insertLayout(0, top);
        // The bar of filters, the count and the status: Cancel goes at its end.
        if (auto* bar = qobject_cast<QBoxLayout*>(box->itemAt(1)->layout()))
            bar->addWidget(cancel_);
    }
    // Columns are fitted to the rows in view only, so that the first rows
    // of a large comparison show at once.
    table()->horizontalHeader()->setResizeContentsPrecision(0);
}

void frmCompare::setFiles(const QString& a, const QString& b) {
    files_->setText(QStringLiteral("A: %1\nB: %2").arg(a, b));
    files_->setToolTip(files_->text());
}

qm::FileComparison::Match frmCompare::match() const {
    return qm::FileComparison::Match(match_->currentData().toInt());
}

void frmCompare::setRunning(bool running) {
    cancel_->setVisible(running);
    if (running)
        setStatus(QStringLiteral("Comparing\u2026"));
}

void frmCompare::setProgress(int percent) {
    setStatus(QStringLiteral("Comparing\u2026 %1%").arg(percent));
}

void frmCompare::setSummary(const qm::FileComparison::Summary& summary) {
    setRunning(false);
    // The rows only one file has come last, and their names may be wider.
    refitColumns();
    if (summary.cancelled) {
        setStatus(QStringLiteral("The comparison was cancelled: these are the differences found "
                                 "before."));
        return;
    }
    QString text = summary.total() == 0
                       ? QStringLiteral("The files hold the same claims with the same values.")
                       : QStringLiteral("Differ: %1.").arg(differing(summary));
    text += QStringLiteral(" A: %1, B: %2.")
                .arg(CountText::of(summary.unitsA[std::size_t(qm::CompareUnit::Claim)], "claim",
                                   "claims"),
                     number(summary.unitsB[std::size_t(qm::CompareUnit::Claim)]));
    if (summary.changedA || summary.changedB)
        text = QStringLiteral("%1 changed while it was compared: the rows may be wrong. ")
                   .arg(summary.changedA && summary.changedB ? QStringLiteral("Both files")
                        : summary.changedA                   ? QStringLiteral("File A")
                                                             : QStringLiteral("File B")) +
               text;
    setStatus(text);
}

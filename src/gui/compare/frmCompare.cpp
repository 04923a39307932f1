#include "gui/compare/frmCompare.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/Controls.h"
#include "gui/common/CoreText.h"
#include "gui/compare/CompareFeed.h"
#include "gui/compare/CompareModel.h"
#include "gui/document/ClaimDocument.h"
#include "gui/results/ResultsTableView.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

frmCompare::frmCompare(CompareFeed& feed, QWidget* parent)
    : ResultsWindow(QStringLiteral("frmCompare"), QStringLiteral("gridCompare"), feed.model(),
                    parent)
    , feed_(&feed)
    , model_(feed.model()) {
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
    connect(match_, qOverload<int>(&QComboBox::activated), this, [this] {
        if (feed_)
            feed_->compareAgain(match());
    });
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancelCompare"));
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel_->setToolTip(QStringLiteral("Cancel the comparison"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, &feed, &ResultsFeed::cancelRun);

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

    feed.document().closeWithFile(this);
    followFeed(&feed);
    connect(&feed, &ResultsFeed::runStarted, this, &frmCompare::showFeed);
    connect(&feed, &ResultsFeed::runEnded, this, [this] {
        showFeed();
        // The rows only one file has come last, and their names may be wider.
        refitColumns();
    });
    connect(this, &ResultsWindow::rowActivated, &feed, &CompareFeed::openRow);
    showFeed();
}

qm::FileComparison::Match frmCompare::match() const {
    return qm::FileComparison::Match(match_->currentData().toInt());
}

void frmCompare::showFeed() {
    if (!feed_)
        return;
    if (feed_->fileA() && feed_->fileB()) {
        files_->setText(QStringLiteral("A: %1\nB: %2")
                            .arg(CoreText::toPath(feed_->fileA()->path()),
                                 CoreText::toPath(feed_->fileB()->path())));
        files_->setToolTip(files_->text());
    }
    match_->setCurrentIndex(match_->findData(int(feed_->match())));
    cancel_->setVisible(feed_->isRunning());
}

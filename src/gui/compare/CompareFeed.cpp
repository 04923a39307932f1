#include "gui/compare/CompareFeed.h"

#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/CountText.h"
#include "gui/compare/CompareModel.h"
#include "gui/document/ClaimDocument.h"

#include <QStringList>

namespace {

const QString kName = QStringLiteral("comparison");

QString number(std::int64_t n) {
    return CountText::number(n);
}

// "2 claims, 1 batch, 3 lines": the units that differ, by kind of unit.
QString differing(const qm::FileComparison::Summary& summary) {
    static const char* const kOne[] = {"file header", "batch", "claim", "line"};
    static const char* const kMany[] = {"file headers", "batches", "claims", "lines"};
    QStringList parts;
    for (const int unit : {2, 1, 0, 3}) {
        const std::int64_t n = summary.count(qm::CompareUnit(unit));
        if (n)
            parts << number(n) + QLatin1Char(' ') +
                         QString::fromLatin1(n == 1 ? kOne[unit] : kMany[unit]);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

CompareFeed& CompareFeed::of(ClaimDocument& document) {
    if (CompareFeed* feed = find(document))
        return *feed;
    auto* feed = new CompareFeed(document);
    document.addFeed(feed);
    return *feed;
}

CompareFeed* CompareFeed::find(const ClaimDocument& document) {
    return qobject_cast<CompareFeed*>(document.feed(kName));
}

CompareFeed::CompareFeed(ClaimDocument& document)
    : ResultsFeed(kName, new CompareModel)
    , document_(document)
    , model_(qobject_cast<CompareModel*>(rows())) {
    connect(this, &ResultsFeed::runProgressed, this,
            [this](int percent) { status_ = QStringLiteral("Comparing\u2026 %1%").arg(percent); });
}

std::vector<std::string> CompareFeed::heldFiles() const {
    return b_ ? std::vector<std::string>{b_->path()} : std::vector<std::string>();
}

void CompareFeed::compareWith(std::shared_ptr<qm::OpenClaimFile> b) {
    a_ = document_.sharedFile();
    b_ = std::move(b);
    start();
}

void CompareFeed::compareAgain(qm::FileComparison::Match match) {
    match_ = match;
    start();
}

void CompareFeed::openRow(int row) {
    if (a_ && b_ && row >= 0 && row < model_->rowCount())
        emit rowOpened(row);
}

void CompareFeed::start() {
    if (!a_ || !b_)
        return;
    model_->clear();
    status_ = QStringLiteral("Comparing\u2026");
    auto readerA = std::make_shared<qm::SequentialFile>();
    readerA->openSame(a_->file());
    auto readerB = std::make_shared<qm::SequentialFile>();
    readerB->openSame(b_->file());
    startRun<CompareRow, qm::FileComparison::Summary>(
        WorkSeams::Job::Comparison, document_.seams(),
        [readerA, readerB, a = a_, b = b_, match = match_](const auto& add,
                                                           const qm::Progress& progress) {
            qm::FileComparison::Options options;
            options.match = match;
            options.progress = progress;
            return qm::FileComparison::run({*readerA, a->layouts()}, {*readerB, b->layouts()},
                                           options, [&add](qm::Difference&& d) {
                                               // The fields are read again when a row is opened; a
                                               // count is enough here.
                                               add({d.unit, d.kind, std::move(d.a), std::move(d.b),
                                                    std::move(d.name), std::move(d.number),
                                                    int(d.fields.size())});
                                           });
        },
        [model = model_](std::vector<CompareRow>&& rows) { model->append(std::move(rows)); },
        [this](const qm::FileComparison::Summary& summary) { ended(summary); });
}

void CompareFeed::ended(const qm::FileComparison::Summary& summary) {
    if (summary.cancelled) {
        status_ = QStringLiteral("The comparison was cancelled: these are the differences found "
                                 "before.");
        return;
    }
    QString text = summary.total() == 0
                       ? QStringLiteral("The files hold the same claims with the same values.")
                       : QStringLiteral("Differ: %1.").arg(differing(summary));
    text += QStringLiteral(" A: %1, B: %2.")
                .arg(CountText::of(summary.unitsA[std::size_t(qm::CompareUnit::Claim)], "claim",
                                   "claims"),
                     number(summary.unitsB[std::size_t(qm::CompareUnit::Claim)]));
    if (summary.incomplete)
        text = QStringLiteral("The comparison's temporary file could not be read back: rows may "
                              "be missing. ") +
               text;
    if (summary.changedA || summary.changedB)
        text = QStringLiteral("%1 changed while it was compared: the rows may be wrong. ")
                   .arg(summary.changedA && summary.changedB ? QStringLiteral("Both files")
                        : summary.changedA                   ? QStringLiteral("File A")
                                                             : QStringLiteral("File B")) +
               text;
    status_ = text;
}

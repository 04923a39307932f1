#include "gui/document/ClaimDocument.h"

#include "core/claim/NodeClick.h"
#include "core/common/MessageTexts.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/report/ReportText.h"
#include "gui/common/BackgroundRelease.h"
#include "gui/common/CoreText.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/PlainText.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/FilterTap.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ResultsFeed.h"
#include "gui/document/StatisticsTap.h"
#include "gui/document/TreeBuildJob.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QWidget>

namespace {

const QString kTotalsMessageKey = QStringLiteral("Options/ShowTotalsMessage");

// A node as the file tree names it, with the batch or file header it lies in:
// "CA0: GALLOWAY, MABEL (GM000000002), in BA0: 163376737 - LINDQVIST, DESMOND".
QString nodeName(const qm::FileTree& tree, std::int64_t node) {
    QString name = CoreText::fromFile(tree.text(node));
    const std::int64_t parent = tree.parent(node);
    if (parent != qm::FileTree::kNoNode)
        name += QStringLiteral(", in ") + CoreText::fromFile(tree.text(parent));
    return name;
}

// The details of the totals message: each field that does not compute, what
// the XA0 states and what the claim's records give.
QString mismatches(const qm::AssembledClaim& claim) {
    QStringList lines;
    for (const qm::TotalsComparison& comparison : claim.totals.compared)
        if (!comparison.match)
            lines.append(CoreText::fromUtf8(
                qm::ReportText::comparisonLine(comparison, claim.layouts.get())));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ClaimDocument::ClaimDocument(std::shared_ptr<qm::OpenClaimFile> file,
                             std::shared_ptr<const WorkSeams> seams, QWidget* owner)
    : QObject(owner)
    , file_(std::move(file))
    , seams_(seams ? std::move(seams) : std::make_shared<const WorkSeams>())
    , owner_(owner)
    , statistics_(std::make_unique<StatisticsTap>())
    , filters_(std::make_unique<FilterTap>(file_))
    , check_(new ProblemCheck(file_, seams_, this)) {
    check_->addTap(statistics_.get());
    check_->addTap(filters_.get());
    connectCheck();
}

ClaimDocument::~ClaimDocument() {
    close();
    // The check goes before the tap it feeds.
    delete check_;
    statistics_.reset();
    filters_.reset();
    // The big values go on a thread of their own, but the file closes now:
    // once its document has gone, nothing may find it still open.
    BackgroundRelease::drop(file_->problems());
    BackgroundRelease::drop(file_->headerIndex());
    file_->setTree(nullptr);
    BackgroundRelease::drop(std::move(tree_));
    file_.reset();
}

void ClaimDocument::connectCheck() {
    connect(check_, &ProblemMarks::checkStarted, this, &ClaimDocument::checkStarted);
    connect(check_, &ProblemMarks::checkProgressed, this, &ClaimDocument::checkProgressed);
    connect(check_, &ProblemMarks::marksAdded, this, &ClaimDocument::problemsArrived);
    connect(check_, &ProblemMarks::checkEnded, this, &ClaimDocument::checkEnded);
}

QString ClaimDocument::path() const {
    return CoreText::toPath(file_->path());
}

QString ClaimDocument::windowTitle(const QString& what) const {
    return PlainText::windowTitle(what + QStringLiteral(" (") + path() + QStringLiteral(")"));
}

QString ClaimDocument::besideFile(const QString& suffix) const {
    const QFileInfo claimFile(path());
    return claimFile.absoluteDir().filePath(claimFile.completeBaseName() + suffix);
}

QWidget* ClaimDocument::ownerWindow() const {
    return owner_;
}

void ClaimDocument::closeWithFile(QWidget* window) {
    connect(this, &ClaimDocument::closing, window, [window = QPointer<QWidget>(window)] {
        if (!window)
            return;
        // A document's content closes with its frame, which saves its place.
        if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            frame->close();
        else
            window->close();
    });
}

std::vector<std::string> ClaimDocument::claimFiles() const {
    std::vector<std::string> files{file_->path()};
    for (const ResultsFeed* feed : feeds_)
        for (std::string& held : feed->heldFiles())
            files.push_back(std::move(held));
    return files;
}

bool ClaimDocument::buildTree() {
    if (closed_ || building_)
        return false;
    // The tree built before, and the problems found in it, go first: the
    // file holds one tree at a time.
    check_->setTree(nullptr);
    std::shared_ptr<const void> oldProblems = file_->problems();
    file_->setTree(nullptr);
    BackgroundRelease::drop(std::move(tree_));
    BackgroundRelease::drop(std::move(oldProblems));
    // Built on a worker; a long build shows its progress over the main window.
    TreeBuildJob build(seams_);
    building_ = &build;
    connect(&build, &TreeBuildJob::treeProgressed, this, &ClaimDocument::treeProgressed);
    std::optional<qm::FileTree> built = build.run(file_->file(), owner_);
    building_ = nullptr;
    if (releaseWhenBuilt_) {
        deleteLater();
        return false;
    }
    if (!built || closed_)
        return false;
    tree_ = std::make_shared<const qm::FileTree>(std::move(*built));
    file_->setTree(tree_);
    check_->setTree(tree_);
    emit treeBuilt();
    // Once the tree is on screen, not before: it is what the user waits for.
    QTimer::singleShot(0, check_, [check = QPointer<ProblemCheck>(check_), tree = tree_] {
        if (check && check->state() == ProblemMarks::State::NotStarted && check->hasTree() &&
            &check->tree() == tree.get())
            check->startCheck();
    });
    return true;
}

bool ClaimDocument::ensureTree() {
    return tree_ || buildTree();
}

std::shared_ptr<const qm::FileStatistics> ClaimDocument::statistics() const {
    return statistics_->statistics();
}

ResultsFeed* ClaimDocument::feed(const QString& name) const {
    for (ResultsFeed* feed : feeds_)
        if (feed->objectName() == name)
            return feed;
    return nullptr;
}

void ClaimDocument::addFeed(ResultsFeed* feed) {
    feed->setParent(this);
    feeds_.push_back(feed);
    emit feedAdded(feed);
}

bool ClaimDocument::showsTotalsMessage() {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    return !settings || settings->value(kTotalsMessageKey, true).toBool();
}

void ClaimDocument::setShowsTotalsMessage(bool shows) {
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(kTotalsMessageKey, shows);
}

void ClaimDocument::clickNode(std::int64_t node, std::int64_t trailerPosition,
                              const QString& record, int field, const QString& note) {
    if (closed_ || !tree_)
        return;
    auto claim = std::make_shared<qm::AssembledClaim>(qm::NodeClick(*file_, node, trailerPosition));
    if (!claim->acted)
        return;
    click_ = {claim, tree_->key(node), nodeName(*tree_, node), record, field, note};
    emit claimClicked();
    // Said over the form that shows the claim it is about.
    if (!claim->totals.ok() && showsTotalsMessage())
        MessageBoxes(owner_).show(qm::MessageTexts::totalsDoNotCompute(), mismatches(*claim));
}

bool ClaimDocument::goTo(const Place& place) {
    // A click needs the tree; it may have been built on no other occasion yet.
    const QPointer<ClaimDocument> alive(this);
    if (!ensureTree() || !alive || closed_)
        return false;
    const std::optional<std::int64_t> node = tree_->findKey(place.key);
    if (!node) {
        MessageBoxes::showMessage(owner_,
                                  QStringLiteral("The claim ") + QString::fromStdString(place.key) +
                                      QStringLiteral(" is not in the file tree."),
                                  QStringLiteral("Search Results"), qm::MessageIcon::Information);
        return false;
    }
    switch (place.show) {
    case Place::Show::Click:
        // Selected in the tree, then opened as a click on it opens it.
        emit nodeRequested(*node, false);
        clickNode(*node, 0, CoreText::fromFile(place.record), place.field);
        break;
    case Place::Show::Trailer: {
        emit nodeRequested(*node, true);
        const bool batch = tree_->recordType(*node) == "BA0";
        clickNode(*node, place.trailerPosition,
                  batch ? QStringLiteral("YA0") : QStringLiteral("ZA0"), place.field, place.note);
        break;
    }
    case Place::Show::Select:
        emit nodeRequested(*node, true);
        break;
    }
    return true;
}

void ClaimDocument::showProblems(int kind) {
    if (!closed_)
        emit problemsRequested(kind);
}

void ClaimDocument::showLine(qint64 line, qint64 position, const QString& record) {
    if (!closed_)
        emit lineRequested(line, position, record);
}

void ClaimDocument::searchFor(const SearchRequest& request) {
    if (!closed_)
        emit searchRequested(request);
}

void ClaimDocument::stopWork() {
    if (building_)
        building_->cancel();
    check_->stopAndJoin();
    for (ResultsFeed* feed : feeds_)
        feed->stopAndJoin();
}

void ClaimDocument::close() {
    if (closed_)
        return;
    closed_ = true;
    // What the views show belongs to the file: a tree node would lead into
    // another file, a form would show records no longer open.
    emit closing();
    stopWork();
}

void ClaimDocument::release() {
    close();
    if (building_)
        releaseWhenBuilt_ = true;
    else
        delete this;
}

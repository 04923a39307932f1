#include "gui/document/ProblemCheck.h"

#include "core/check/PassListener.h"
#include "core/check/ProblemCollector.h"
#include "core/check/ProblemPlace.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/rules/RuleSet.h"
#include "gui/common/BackgroundRelease.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/CountText.h"
#include "gui/common/PlainText.h"
#include "gui/document/PassTap.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemText.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <chrono>

namespace {

// The worker hands on what it found at most this often, so that marks
// appear while the check runs without flooding the GUI thread.
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
// ... or sooner, once it holds this many rows (3 MB): where every claim has
// a problem, 50 ms of the check are half a million rows, and the batches
// waiting, being filled and being taken held a hundred megabytes at once.
constexpr std::size_t kBatchRows = std::size_t(1) << 16;
// The worker looks at the clock and the rows once in this many claims.
constexpr unsigned kClaimsBetweenClockReads = 256;
// The GUI thread appends this many rows at a time.
constexpr std::size_t kAddSlice = 2048;
constexpr std::size_t kPendingBatches = 2;

unsigned bit(ProblemKind kind) {
    return 1u << unsigned(kind);
}

// The most serious of some marks (bit k for ProblemKind k; not 0).
ProblemKind worstOf(unsigned kinds) {
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        if (kinds & bit(ProblemKind(kind)))
            return ProblemKind(kind);
    return ProblemKind::NoXa0;
}

// The check's rows as the worker gathers them; `before` is asked before
// each claim is taken (false: the check is being cancelled, take no more).
class Gatherer : public qm::ProblemCollector {
public:
    Gatherer(const qm::FileTree& tree, std::function<bool()> before, std::function<void()> after)
        : ProblemCollector(tree)
        , before_(std::move(before))
        , after_(std::move(after)) {}
    void claim(const qm::FileCheck::Claim& claim) override {
        if (!before_())
            return;
        ProblemCollector::claim(claim);
        after_();
    }

private:
    std::function<bool()> before_;
    std::function<void()> after_;
};

// A claim's mark drawn small in the lower corner of its place: a file
// header's or batch's mark for claims with problems beneath it, told apart
// from the full mark of a problem of its own.
QIcon beneathIcon(ProblemKind kind) {
    static const std::array<QIcon, kProblemKindCount> icons = [] {
        std::array<QIcon, kProblemKindCount> made;
        for (int k = 0; k < kProblemKindCount; ++k) {
            const QIcon full = ProblemIcons::icon(ProblemKind(k));
            for (const int size : {16, 32}) {
                QPixmap pixmap(size, size);
                pixmap.fill(Qt::transparent);
                QPainter painter(&pixmap);
                const int small = size * 5 / 8;
                painter.drawPixmap(QRect(size - small, size - small, small, small),
                                   full.pixmap(small, small));
                painter.end();
                made[std::size_t(k)].addPixmap(pixmap);
            }
        }
        return made;
    }();
    return icons[std::size_t(kind)];
}

} // namespace

ProblemCheck::ProblemCheck(std::shared_ptr<qm::OpenClaimFile> file,
                           std::shared_ptr<const WorkSeams> seams, QObject* parent)
    : ProblemMarks(parent)
    , file_(std::move(file))
    , seams_(std::move(seams))
    , store_(std::make_shared<qm::ProblemStore>(nullptr))
    , work_(new Work(this)) {
    work_->setTake(
        [this](qm::ProblemStore::Pending& pending, std::size_t& at) { take(pending, at); },
        [](const qm::ProblemStore::Pending& pending) { return pending.size(); });
    // Two batches waiting keep the GUI thread busy; more would only hold memory.
    work_->setPendingLimit(kPendingBatches);
    connect(work_, &BackgroundWorkBase::workProgressed, this, [this](int percent) {
        if (state_ == State::Running)
            emit checkProgressed(percent);
    });
    connect(work_, &BackgroundWorkBase::workEnded, this, &ProblemCheck::workFinished);
}

ProblemCheck::~ProblemCheck() {
    emit checkGoing();
    // The worker stops before what it reads goes; the rows found, the tree
    // and the file go on a thread of their own when this check held them last.
    delete work_;
    BackgroundRelease::drop(std::move(store_));
    BackgroundRelease::drop(std::move(tree_));
    BackgroundRelease::drop(std::move(file_));
}

int ProblemCheck::percent() const {
    return state_ == State::NotStarted ? 0 : work_->percent();
}

const qm::LayoutCatalogue* ProblemCheck::layouts() const {
    return file_->layouts().get();
}

std::shared_ptr<const qm::LayoutCatalogue> ProblemCheck::layoutCatalogue() const {
    return file_->layouts();
}

void ProblemCheck::setTree(std::shared_ptr<const qm::FileTree> tree) {
    const bool wasRunning = state_ == State::Running;
    work_->cancelWork();
    BackgroundRelease::drop(std::move(tree_));
    tree_ = std::move(tree);
    state_ = State::NotStarted;
    clear();
    if (wasRunning)
        emit checkEnded();
}

void ProblemCheck::addTap(PassTap* tap) {
    taps_.push_back(tap);
}

void ProblemCheck::stopAndJoin() {
    cancelCheck();
    work_->cancelWork();
    work_->joinWorkers();
}

void ProblemCheck::clear() {
    emit aboutToClear();
    BackgroundRelease::drop(std::move(store_));
    store_ = std::make_shared<qm::ProblemStore>(tree_);
    containerNodes_.clear();
    containers_.clear();
    rootNodes_.clear();
    remarked_.clear();
    groups_.clear();
    claimTotals_ = {};
    countedClaim_ = markingNode_ = -1;
    countedKinds_ = markingKinds_ = 0;
    // The open file's results are those of its current tree.
    if (tree_ && file_->tree() == tree_)
        file_->setProblems(store_);
    emit cleared();
}

void ProblemCheck::startCheck() {
    work_->cancelWork();
    clear();
    auto reader = std::make_shared<qm::SequentialFile>();
    if (!tree_ || !file_->layouts() || !reader->openSame(file_->file())) {
        state_ = State::Cancelled;
        emit checkEnded();
        return;
    }
    // The rules as chosen now: Tools > Rules starts the check again after a change.
    rules_ = RulesChoice::remembered().load(file_->layouts());
    state_ = State::Running;
    emit checkStarted();
    startWork(std::move(reader));
}

void ProblemCheck::startWork(std::shared_ptr<qm::SequentialFile> reader) {
    // Whatever reads along: a listener of its own for this run from each tap.
    std::vector<std::shared_ptr<qm::PassListener>> listeners;
    for (PassTap* tap : taps_)
        if (std::shared_ptr<qm::PassListener> listener = tap->listenerForRun())
            listeners.push_back(std::move(listener));
    const WorkSeams seams = seams_ ? *seams_ : WorkSeams();
    work_->startWork([reader = std::move(reader), layouts = file_->layouts(), tree = tree_,
                      index = file_->headerIndex(), listeners = std::move(listeners),
                      rules = rules_.rules, seams](Work::Reporter& run) {
        const WorkSeams::Stopped stopped = [&run] {
            return run.cancelled();
        };
        if (seams.pause)
            seams.pause(WorkSeams::Job::Check, stopped);
        using Clock = std::chrono::steady_clock;
        Clock::time_point handedOn = Clock::now();
        unsigned claims = 0;
        Gatherer* gathered = nullptr;
        auto handOn = [&] {
            handedOn = Clock::now();
            if (!gathered->pending().empty())
                run.deliver(gathered->take());
        };
        Gatherer gatherer(
            *tree,
            [&] {
                if (run.cancelled())
                    return false;
                if (seams.eachClaim)
                    seams.eachClaim(stopped);
                return true;
            },
            [&] {
                if (++claims % kClaimsBetweenClockReads == 0 &&
                    (gathered->pending().size() >= kBatchRows ||
                     Clock::now() - handedOn >= kBatchInterval))
                    handOn();
            });
        gathered = &gatherer;
        qm::FileCheck::Options options;
        // The tree knows where the headers are: the file is read once, not twice.
        options.index = index ? index : std::make_shared<const qm::HeaderIndex>(*tree);
        if (seams.beforeRead)
            options.beforeClaimRead = [read = seams.beforeRead](std::int64_t position) {
                read(WorkSeams::Job::Check, position);
            };
        options.rules = rules;
        qm::ProgressControl& control = run.control();
        options.progress = [&](std::int64_t done, std::int64_t total) {
            control.bytesTotal = total;
            control.bytesDone = done;
            if (Clock::now() - handedOn >= kBatchInterval)
                handOn();
            return !run.cancelled();
        };
        std::vector<qm::PassListener*> along;
        for (const std::shared_ptr<qm::PassListener>& listener : listeners)
            along.push_back(listener.get());
        const qm::FileCheck::Summary summary =
            qm::FileCheck::run(*reader, layouts, options, gatherer, along);
        handOn();
        return summary;
    });
}

void ProblemCheck::take(qm::ProblemStore::Pending& pending, std::size_t& at) {
    const qint64 firstClaim = store_->claimNodeCount();
    remarked_.clear();
    relisted_ = false;
    const std::size_t end = std::min(pending.size(), at + kAddSlice);
    for (; at < end; ++at) {
        const qm::ProblemStore::Entry entry = pending.at(at);
        const std::int64_t row = store_->size();
        store_->append(entry.row(), entry.batchPosition, entry.claimNode);
        markRow(entry, row);
    }
    std::sort(remarked_.begin(), remarked_.end());
    remarked_.erase(std::unique(remarked_.begin(), remarked_.end()), remarked_.end());
    if (relisted_)
        emit relisted();
    emit marksAdded(firstClaim);
}

void ProblemCheck::markRow(const qm::ProblemStore::Entry& entry, std::int64_t row) {
    const qm::Problem& p = entry.problem;
    groups_.add(p);
    const ProblemKind kind = markOf(p);
    if (p.scope == qm::Problem::Scope::Claim) {
        // Every claim with problems counts, a claim the tree lacks too.
        if (p.claim != countedClaim_) {
            countedClaim_ = p.claim;
            countedKinds_ = 0;
            ++claimTotals_.claims;
        }
        if (!(countedKinds_ & bit(kind))) {
            countedKinds_ |= bit(kind);
            ++claimTotals_.byKind[std::size_t(kind)];
        }
        if (entry.claimNode >= 0) {
            const bool newClaim = entry.claimNode != markingNode_;
            if (newClaim) {
                markingNode_ = entry.claimNode;
                markingKinds_ = 0;
            }
            if (!(markingKinds_ & bit(kind))) {
                markingKinds_ |= bit(kind);
                markClaimKind(entry.claimNode, kind, newClaim);
            }
        }
        return;
    }
    const std::int64_t owner = qm::ProblemPlace::ownerNode(entry, *tree_);
    if (owner < 0)
        return;
    Container& own = container(owner);
    const bool marked = own.ownRows > 0;
    const ProblemKind before = marked ? worstOf(own.ownKinds) : kind;
    own.ownKinds |= bit(kind);
    if (std::int64_t(own.firstOwnRows.size()) < ProblemText::kToolTipLines)
        own.firstOwnRows.push_back(row);
    ++own.ownRows;
    if (!marked || worstOf(own.ownKinds) != before)
        remarked_.push_back(owner);
}

void ProblemCheck::markClaimKind(std::int64_t node, ProblemKind kind, bool newClaim) {
    const std::int64_t parent = tree_->parent(node);
    if (parent == qm::FileTree::kNoNode) {
        if (newClaim)
            listRoot(node);
        return;
    }
    // The file header first: nodes stay sorted.
    for (const std::int64_t above : {tree_->parent(parent), parent}) {
        if (above == qm::FileTree::kNoNode)
            continue;
        Container& c = container(above);
        const bool marked = c.beneath.claims > 0;
        const ProblemKind before = c.beneath.worst();
        if (newClaim)
            ++c.beneath.claims;
        ++c.beneath.byKind[std::size_t(kind)];
        // Its own mark stands for it as long as it has one.
        if (!c.ownRows && (!marked || c.beneath.worst() != before))
            remarked_.push_back(above);
    }
}

ProblemCheck::Container& ProblemCheck::container(std::int64_t node) {
    const auto at = std::lower_bound(containerNodes_.begin(), containerNodes_.end(), node);
    const auto index = std::size_t(at - containerNodes_.begin());
    if (at != containerNodes_.end() && *at == node)
        return containers_[index];
    relisted_ = relisted_ || at != containerNodes_.end();
    containerNodes_.insert(at, node);
    containers_.insert(containers_.begin() + std::ptrdiff_t(index), Container());
    if (tree_->parent(node) == qm::FileTree::kNoNode)
        listRoot(node);
    return containers_[index];
}

void ProblemCheck::listRoot(std::int64_t node) {
    const auto at = std::lower_bound(rootNodes_.begin(), rootNodes_.end(), node);
    if (at != rootNodes_.end() && *at == node)
        return;
    relisted_ = relisted_ || at != rootNodes_.end();
    rootNodes_.insert(at, node);
}

const ProblemCheck::Container* ProblemCheck::findContainer(std::int64_t node) const {
    const auto at = std::lower_bound(containerNodes_.begin(), containerNodes_.end(), node);
    return at != containerNodes_.end() && *at == node
               ? &containers_[std::size_t(at - containerNodes_.begin())]
               : nullptr;
}

QIcon ProblemCheck::containerMark(const Container& c) const {
    if (c.ownRows)
        return ProblemIcons::icon(worstOf(c.ownKinds));
    return c.beneath.claims ? beneathIcon(c.beneath.worst()) : QIcon();
}

void ProblemCheck::cancelCheck() {
    if (state_ != State::Running)
        return;
    // What is still on its way from the worker is dropped: the list stays as
    // the user saw it when cancelling.
    work_->cancelWork();
    state_ = State::Cancelled;
    emit checkEnded();
}

void ProblemCheck::workFinished() {
    const qm::FileCheck::Summary& summary = work_->summary();
    const bool finished = state_ == State::Running && !work_->wasCancelled() && !summary.cancelled;
    // Those reading along are told before anyone hears of the end.
    for (PassTap* tap : taps_)
        tap->runEnded(finished);
    if (state_ != State::Running)
        return; // cancelled, and said so then
    if (finished) {
        store_->finish(summary);
        state_ = State::Finished;
    } else {
        state_ = State::Cancelled;
    }
    emit checkEnded();
}

qm::ProblemStore::Counts ProblemCheck::counts() const {
    return store_->counts();
}

std::int64_t ProblemCheck::notRead() const {
    return store_->summary() ? store_->summary()->notRead : 0;
}

bool ProblemCheck::fileChanged() const {
    return state_ == State::Finished && store_->summary() && store_->summary()->fileChanged;
}

QString ProblemCheck::statusText() const {
    const qm::ProblemStore::Counts found = counts();
    const QString problems = ProblemText::counts(found.claims, found.batches, found.file);
    switch (state_) {
    case State::Finished:
        if (fileChanged())
            return QStringLiteral("File changed while read: %1 not read; problems: %2")
                .arg(CountText::of(notRead(), "claim", "claims"), problems);
        return found.rows ? QStringLiteral("Problems: ") + problems
                          : QStringLiteral("No problems found");
    case State::Cancelled:
        return QStringLiteral("Check cancelled (problems so far: %1)").arg(problems);
    default:
        return QString();
    }
}

QString ProblemCheck::statusToolTip() const {
    const qm::ProblemStore::Counts found = counts();
    QStringList lines;
    if (fileChanged())
        lines.append(QStringLiteral("The file changed while it was read: what was read may not be "
                                    "what it holds now. Check Again checks it as it is."));
    if (claimTotals_.claims)
        lines.append(ProblemText::beneath(claimTotals_).section(QLatin1Char('\n'), 1));
    if (found.batches)
        lines.append(QStringLiteral("Batches with problems of their own: %1").arg(found.batches));
    if (found.file)
        lines.append(QStringLiteral("Problems of the file's own: %1").arg(found.file));
    return lines.join(QLatin1Char('\n'));
}

QIcon ProblemCheck::mark(std::int64_t node) const {
    if (!tree_)
        return QIcon();
    if (tree_->recordType(node) == "CA0") {
        const qm::ProblemStore::Range rows = store_->claimRows(node);
        if (rows.empty())
            return QIcon();
        unsigned kinds = 0;
        for (qm::ProblemStore::Reader reader(*store_, rows.first); reader.row() < rows.end;)
            kinds |= bit(markOf(reader.next().problem));
        return ProblemIcons::icon(worstOf(kinds));
    }
    const Container* c = findContainer(node);
    return c ? containerMark(*c) : QIcon();
}

QString ProblemCheck::toolTip(std::int64_t node) const {
    QString text;
    if (!tree_)
        return text;
    if (tree_->recordType(node) == "CA0") {
        const qm::ProblemStore::Range rows = store_->claimRows(node);
        if (!rows.empty())
            text = ProblemText::lines(*store_, rows, layouts());
    } else if (const Container* c = findContainer(node)) {
        QStringList parts;
        if (c->ownRows)
            parts.append(ProblemText::lines(*store_, c->firstOwnRows, c->ownRows, layouts()));
        if (c->beneath.claims)
            parts.append(ProblemText::beneath(c->beneath));
        text = parts.join(QStringLiteral("\n\n"));
    }
    return text.isEmpty() ? QString() : PlainText::toolTip(text);
}

std::int64_t ProblemCheck::markedClaimCount() const {
    return store_->claimNodeCount();
}

std::int64_t ProblemCheck::markedClaim(std::int64_t i) const {
    return store_->claimNode(i);
}

std::int64_t ProblemCheck::markedClaimsBefore(std::int64_t node) const {
    return store_->claimNodesBefore(node);
}

const std::vector<std::int64_t>& ProblemCheck::markedContainers() const {
    return containerNodes_;
}

const std::vector<std::int64_t>& ProblemCheck::markedRoots() const {
    return rootNodes_;
}

const std::vector<std::int64_t>& ProblemCheck::remarkedContainers() const {
    return remarked_;
}

std::int64_t ProblemCheck::nextMarkedClaim(std::int64_t node) const {
    const std::int64_t at = store_->claimNodesBefore(node + 1);
    return at < store_->claimNodeCount() ? store_->claimNode(at) : -1;
}

std::int64_t ProblemCheck::previousMarkedClaim(std::int64_t node) const {
    const std::int64_t at = store_->claimNodesBefore(node);
    return at > 0 ? store_->claimNode(at - 1) : -1;
}

#include "gui/lines/frmFileLines.h"

#include "core/claim/RecordSplitter.h"
#include "core/filetree/FileTree.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"
#include "core/lines/LineIndex.h"
#include "core/lines/ProblemLineIndex.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/frmGoToLine.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/lines/LineTableModel.h"
#include "gui/lines/LineWindowScroller.h"
#include "gui/lines/LinesTableView.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// How far into a claim its records are looked for, in lines: far beyond
// any claim's, short of reading a damaged file to its end.
constexpr qint64 kClaimLinesWalked = 20000;
// How often the window looks at an index being built, in milliseconds: the
// first lines show at once, the count grows as if it ran.
constexpr int kIndexLookMs = 50;
// The bytes a held scan reads between its pauses.
constexpr std::int64_t kPausedStretch = std::int64_t(1) << 20;
// How often the window looks whether the file changed, in milliseconds.
constexpr int kChangeLookMs = 1000;
const QString kChangedText =
    QStringLiteral("The file changed since its lines were read: reading them again...");
// A file that goes on changing is indexed again at most this often.
constexpr qint64 kReindexMs = 1000;

bool endsClaim(std::string_view type) {
    return type == "AA0" || type == "BA0" || type == "CA0" || type == "YA0" || type == "ZA0";
}

} // namespace

frmFileLines::frmFileLines(ClaimDocument& document, QWidget* parent)
    : QWidget(parent)
    , document_(&document) {
    setObjectName(QStringLiteral("frmFileLines"));
    setWindowTitle(document.windowTitle(QStringLiteral("File Lines")));
    document.closeWithFile(this);
    model_ = new LineTableModel(this);
    makeControls();
    makeActions();
    ProblemCheck& check = document.check();
    connect(&check, &ProblemCheck::checkEnded, this, &frmFileLines::showProblems);
    connect(&check, &ProblemCheck::aboutToClear, this, [this] {
        problemsWork_->cancelWork();
        model_->setProblems(nullptr, nullptr);
    });
    // The check found the file changed: so did these lines, when it is this file.
    connect(&check, &ProblemCheck::checkEnded, this, [this] {
        if (document_ && document_->check().fileChanged() && model_->lineIndex() &&
            model_->lineIndex()->fileChanged())
            fileChanged();
    });
    connect(model_, &LineTableModel::fileChanged, this, &frmFileLines::fileChanged);
    startIndex();
}

frmFileLines::~frmFileLines() = default;

void frmFileLines::makeControls() {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd:"), this);
    findText_ = new QLineEdit(this);
    findText_->setObjectName(QStringLiteral("txtFindLines"));
    findText_->setPlaceholderText(QStringLiteral("text in the lines"));
    findLabel->setBuddy(findText_);
    expression_ = new QCheckBox(QStringLiteral("Regular e&xpression"), this);
    expression_->setObjectName(QStringLiteral("chkFindExpression"));
    findNext_ = new QToolButton(this);
    findNext_->setObjectName(QStringLiteral("cmdFindNextLine"));
    findNext_->setText(QStringLiteral("Next"));
    findPrevious_ = new QToolButton(this);
    findPrevious_->setObjectName(QStringLiteral("cmdFindPreviousLine"));
    findPrevious_->setText(QStringLiteral("Previous"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgLines"));
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(160);
    cancel_ = new QToolButton(this);
    cancel_->setObjectName(QStringLiteral("cmdCancelLines"));
    cancel_->setText(QStringLiteral("Cancel"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblLinesStatus"));
    status_->setTextFormat(Qt::PlainText);
    bar->addWidget(findLabel);
    bar->addWidget(findText_, 1);
    bar->addWidget(expression_);
    bar->addWidget(findPrevious_);
    bar->addWidget(findNext_);
    bar->addWidget(progress_);
    bar->addWidget(cancel_);
    layout->addLayout(bar);
    layout->addWidget(status_);

    grid_ = new LinesTableView(this);
    grid_->setObjectName(QStringLiteral("gridLines"));
    grid_->setLines(model_);
    // The status names the line the keys or the mouse made current.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmFileLines::sayCurrentLine);
    lineBar_ = new QScrollBar(Qt::Vertical, this);
    lineBar_->setObjectName(QStringLiteral("vsbLines"));
    scroller_ = new LineWindowScroller(*grid_, *model_, *lineBar_);
    auto* rows = new QHBoxLayout;
    rows->setSpacing(0);
    rows->addWidget(grid_, 1);
    rows->addWidget(lineBar_);
    layout->addLayout(rows, 1);

    connect(findNext_, &QToolButton::clicked, this, [this] { find(false); });
    connect(findPrevious_, &QToolButton::clicked, this, [this] { find(true); });
    connect(findText_, &QLineEdit::returnPressed, this, [this] { find(false); });
    connect(cancel_, &QToolButton::clicked, this, [this] {
        indexWork_->cancelWork();
        findWork_->cancelWork();
    });
    connect(grid_, &QTableView::doubleClicked, this, &frmFileLines::showInClaimForm);
}

void frmFileLines::makeActions() {
    const auto add = [this](const QString& name, const QString& text, const QKeySequence& keys,
                            auto slot) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        grid_->addAction(action);
        return action;
    };
    add(QStringLiteral("mnuShowInClaimForm"), QStringLiteral("Show in &Claim Form"),
        QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { showInClaimForm(); });
    add(QStringLiteral("mnuGoToLine"), QStringLiteral("&Go to Line..."),
        QKeySequence(Qt::CTRL | Qt::Key_G), [this] { askGoTo(); });
    add(QStringLiteral("mnuFindNextLine"), QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3),
        [this] { find(false); });
    add(QStringLiteral("mnuFindPreviousLine"), QStringLiteral("Find &Previous"),
        QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { find(true); });
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);

    // A file rewritten in place (its size or time changed) is seen within
    // a second, whatever is on screen.
    auto* changeTimer = new QTimer(this);
    changeTimer->setInterval(kChangeLookMs);
    connect(changeTimer, &QTimer::timeout, this, [this] {
        if (model_->lineIndex() && model_->lineIndex()->fileChanged())
            fileChanged();
    });
    changeTimer->start();
    indexTimer_ = new QTimer(this);
    indexTimer_->setInterval(kIndexLookMs);
    connect(indexTimer_, &QTimer::timeout, this, &frmFileLines::showIndexed);
    indexWork_ = new IndexWork(this);
    connect(indexWork_, &BackgroundWorkBase::workProgressed, progress_, &QProgressBar::setValue);
    connect(indexWork_, &BackgroundWorkBase::workEnded, this, &frmFileLines::indexEnded);
    findWork_ = new FindWork(this);
    problemsWork_ = new ProblemsWork(this);
    connect(problemsWork_, &BackgroundWorkBase::workEnded, this, [this] {
        if (document_ && !problemsWork_->wasCancelled() && problemsWork_->summary())
            model_->setProblems(problemsWork_->summary(), document_->check().layouts());
    });
    connect(findWork_, &BackgroundWorkBase::workProgressed, progress_, &QProgressBar::setValue);
}

void frmFileLines::startIndex() {
    if (!document_)
        return;
    indexStarted_.start();
    // Opened here, before the worker and this window share it: the worker
    // touches nothing of the document's.
    auto index = std::make_shared<qm::LineIndex>();
    if (!index->open(document_->file().file(), document_->file().layouts())) {
        model_->setIndex(nullptr);
        setStatus(QStringLiteral("The file could not be read again."));
        showWorking(false);
        return;
    }
    model_->setIndex(index);
    showProblems();
    setStatus(QStringLiteral("Reading the lines..."));
    showWorking(true);
    indexTimer_->start();
    indexWork_->startWork([index, seams = document_->seams()](IndexWork::Reporter& run) {
        if (!seams || !seams->pause)
            return index->scan(&run.control()) ? Indexed{index} : Indexed{};
        // A test holds the scan between stretches, the lines before shown.
        for (std::int64_t upTo = kPausedStretch; !index->isComplete(); upTo += kPausedStretch) {
            seams->pause(WorkSeams::Job::Lines, [&run] { return run.cancelled(); });
            if (!index->scan(&run.control(), upTo))
                return Indexed{};
        }
        return Indexed{index};
    });
}

void frmFileLines::showIndexed() {
    const std::shared_ptr<const qm::LineIndex> index = model_->lineIndex();
    if (!index) {
        indexTimer_->stop();
        return;
    }
    if (model_->refresh()) {
        // The rows have caught up with an index that is complete.
        indexTimer_->stop();
        rereading_ = false;
        setStatus(QStringLiteral("%L1 lines").arg(index->lineCount()));
        showPending();
        emit indexed();
        return;
    }
    if (!indexWork_->isRunning() && model_->isCaughtUp()) {
        indexTimer_->stop(); // cancelled: all it read is shown
        return;
    }
    if (!pending_.asked && indexWork_->isRunning())
        setStatus((rereading_ ? kChangedText : QStringLiteral("Reading the lines...")) +
                  QStringLiteral(" %L1 so far").arg(model_->lineCount()));
    showPending();
}

void frmFileLines::indexEnded() {
    showWorking(false);
    const std::shared_ptr<const qm::LineIndex> index = model_->lineIndex();
    if (!index)
        return;
    if (indexWork_->wasCancelled()) {
        pending_.asked = false;
        pendingFind_ = 0;
        setStatus(QStringLiteral("Reading the lines was cancelled: %L1 lines read.")
                      .arg(index->lineCount()));
    } else if (!index->isComplete()) {
        indexTimer_->stop();
        if (index->fileChanged())
            fileChanged();
        else
            setStatus(QStringLiteral("The file could not be read again."));
        return;
    }
    // The rest of the rows join the view a slice per look.
    showIndexed();
}

void frmFileLines::showPending() {
    if (pending_.asked) {
        pending_.asked = false;
        showLine(pending_.line, pending_.position, pending_.record);
    }
    if (pendingFind_ != 0 && isIndexed()) {
        const bool backward = pendingFind_ < 0;
        pendingFind_ = 0;
        find(backward);
    }
}

void frmFileLines::fileChanged() {
    // Only what the file holds now is shown: its lines are indexed again,
    // though not over and over while something goes on writing it.
    if (indexStarted_.isValid() && indexStarted_.elapsed() < kReindexMs) {
        model_->setIndex(nullptr);
        QTimer::singleShot(kReindexMs - indexStarted_.elapsed(), this, &frmFileLines::startIndex);
        indexStarted_.invalidate();
    } else if (indexStarted_.isValid()) {
        startIndex();
    }
    rereading_ = true;
    setStatus(kChangedText);
}

void frmFileLines::showProblems() {
    if (!document_)
        return;
    const ProblemCheck& check = document_->check();
    // A store is read on the worker only once no more rows are added to it.
    if (!check.hasTree() || check.state() == ProblemMarks::State::Running)
        return;
    problemsWork_->startWork([store = check.store()](ProblemsWork::Reporter& run) {
        return qm::ProblemLineIndex::build(store, &run.control().cancel);
    });
}

bool frmFileLines::isMarked() const {
    return model_->hasProblems();
}

bool frmFileLines::isIndexed() const {
    return model_->lineIndex() && model_->isComplete();
}

qint64 frmFileLines::currentLine() const {
    return scroller_->currentLine();
}

void frmFileLines::setStatus(const QString& text) {
    status_->setText(text);
}

QString frmFileLines::statusText() const {
    return status_->text();
}

void frmFileLines::showWorking(bool working) {
    progress_->setVisible(working);
    cancel_->setVisible(working);
    if (working)
        progress_->setValue(0);
}

bool frmFileLines::showLine(qint64 line, qint64 position, const QString& record) {
    if (!model_->lineIndex()) {
        pending_ = {line, position, record, true};
        return false;
    }
    const qm::LineIndex& index = *model_->lineIndex();
    // The rows shown; all of them once complete.
    const bool complete = model_->isComplete();
    const qint64 rows = model_->lineCount();
    qint64 number = line;
    if (number <= 0 && position > 0) {
        number = index.lineAt(position);
        // A record of the claim there may lie beyond the lines indexed.
        if (number > 0 && !record.isEmpty() && (complete || number + kClaimLinesWalked <= rows))
            number = recordLine(number, record);
        else if (number > 0 && !record.isEmpty())
            number = 0;
    }
    const bool unread = !complete && (number < 1 || number > rows) &&
                        (line > 0 || (position > 0 && position <= index.size()));
    if (unread && !indexWork_->isRunning() && !index.isComplete() && rows >= index.lineCount()) {
        setStatus(QStringLiteral("Reading the lines was cancelled at line %L1.").arg(rows));
        return false;
    }
    if (unread) {
        // Not indexed yet: shown once it is.
        pending_ = {line, position, record, true};
        setStatus(line > 0 ? QStringLiteral("Line %L1 is not read yet: %L2 lines so far...")
                                 .arg(line)
                                 .arg(rows)
                           : QStringLiteral("Byte %L1 is not read yet: %L2 lines so far...")
                                 .arg(position)
                                 .arg(rows));
        return false;
    }
    pending_.asked = false;
    if (number < 1 || number > rows) {
        setStatus(position > 0 && line <= 0
                      ? QStringLiteral("Byte %L1 is past the end: the file has %L2 bytes.")
                            .arg(position)
                            .arg(index.size())
                      : QStringLiteral("Line %L1 is past the end: the file has %L2 lines.")
                            .arg(line)
                            .arg(index.lineCount()));
        return false;
    }
    scroller_->select(number, LineTableModel::Number, QAbstractItemView::PositionAtCenter);
    grid_->setFocus();
    setStatus(complete ? QStringLiteral("Line %L1 of %L2").arg(number).arg(rows)
                       : QStringLiteral("Line %L1 of %L2 so far").arg(number).arg(rows));
    return true;
}

void frmFileLines::walkClaim(qint64 first, qint64 count,
                             const std::function<bool(qint64, const QString&)>& visit) const {
    const qm::LayoutCatalogue* layouts = document_ ? document_->file().layouts().get() : nullptr;
    if (!layouts)
        return;
    // Each record takes the next occurrence of its type, as a click counts them.
    std::array<int, qm::kRecordTypeCount> occurrences{};
    model_->lineIndex()->forEach(first, count, [&](const qm::LineIndex::Line& line) {
        if (line.number > first && endsClaim(line.type()))
            return false;
        qm::RecordSplitter::Split split;
        split.typeIndex = line.typeIndex;
        if (split.typeIndex >= 0) {
            int& seen = occurrences[std::size_t(split.typeIndex)];
            seen = layouts->at(split.typeIndex).repeats() ? seen + 1 : 1;
            split.occurrence = seen;
        }
        return visit(line.number,
                     QString::fromStdString(qm::RecordSplitter::nodeKey(*layouts, split)));
    });
}

qint64 frmFileLines::recordLine(qint64 first, const QString& record) const {
    qint64 found = first;
    walkClaim(first, kClaimLinesWalked, [&](qint64 line, const QString& key) {
        if (key != record)
            return true;
        found = line;
        return false;
    });
    return found;
}

QString frmFileLines::recordKey(qint64 first, qint64 line) const {
    QString found;
    if (line >= first && line - first < kClaimLinesWalked)
        walkClaim(first, line - first + 1, [&](qint64 at, const QString& key) {
            if (at == line)
                found = key;
            return true;
        });
    return found;
}

void frmFileLines::askGoTo() {
    if (!model_->lineIndex())
        return;
    const qm::LineIndex& index = *model_->lineIndex();
    // While the lines are indexed their count is not known yet.
    auto* dialog = new frmGoToLine(isIndexed() ? index.lineCount() : 0, index.size(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const frmGoToLine::Target target = dialog->target();
        showLine(target.line, target.position);
    });
    dialog->open();
}

void frmFileLines::find(bool backward) {
    if (findWork_->isRunning())
        return;
    if (!isIndexed()) {
        if (model_->lineIndex() && indexWork_->isRunning()) {
            pendingFind_ = backward ? -1 : 1;
            setStatus(QStringLiteral("Find starts once the lines are read..."));
        }
        return;
    }
    LineSearch search;
    QString error;
    if (!search.set(findText_->text(), expression_->isChecked(), error)) {
        setStatus(error);
        emit findEnded(0);
        return;
    }
    search_ = search;
    const std::shared_ptr<const qm::LineIndex> index = model_->lineIndex();
    qint64 from = currentLine();
    if (from == 0)
        from = backward ? index->lineCount() + 1 : 0;
    setStatus(QStringLiteral("Finding..."));
    showWorking(true);
    // Ended connected for this run only: backward goes with it.
    connect(
        findWork_, &BackgroundWorkBase::workEnded, this,
        [this, backward] { findFinished(backward); }, Qt::SingleShotConnection);
    findWork_->startWork([search, index, from, backward](FindWork::Reporter& run) {
        return qint64(search.find(*index, from, backward, run.control()));
    });
}

void frmFileLines::findFinished(bool backward) {
    showWorking(false);
    const qint64 found = findWork_->wasCancelled() ? -1 : findWork_->summary();
    // Enter again in the find box finds the next: the box keeps the focus.
    const bool typing = findText_->hasFocus();
    if (found > 0) {
        showLine(found);
        showMatchAcross(found);
        if (typing)
            findText_->setFocus();
    } else if (found == 0)
        setStatus(backward ? QStringLiteral("Not found above this line.")
                           : QStringLiteral("Not found below this line."));
    else
        setStatus(QStringLiteral("Find was cancelled."));
    emit findEnded(found);
}

void frmFileLines::showMatchAcross(qint64 number) {
    qm::LineIndex::Line line;
    std::size_t start = 0;
    std::size_t length = 0;
    if (!model_->lineIndex() || !model_->lineIndex()->read(number, line) ||
        !search_.matchAt(line.bytes, start, length))
        return;
    // The text is drawn in the fixed font, a byte a character, after the
    // cell's margin; at fractional widths, so the text before the match is measured.
    const QFontMetricsF metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const qreal before =
        metrics.horizontalAdvance(QString::fromLatin1(line.bytes.data(), qsizetype(start)));
    const qreal match = metrics.horizontalAdvance(QString::fromLatin1(
        line.bytes.data() + start, qsizetype(std::max<std::size_t>(length, 1))));
    const int margin =
        grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
    grid_->showAcross(LineTableModel::Text, margin + int(before),
                      margin + int(std::ceil(before + match)));
}

void frmFileLines::sayCurrentLine(const QModelIndex& current) {
    if (!current.isValid())
        return;
    const qint64 number = model_->lineOf(current.row());
    const qint64 rows = model_->lineCount();
    setStatus(model_->isComplete()
                  ? QStringLiteral("Line %L1 of %L2").arg(number).arg(rows)
                  : QStringLiteral("Line %L1 of %L2 so far").arg(number).arg(rows));
}

void frmFileLines::showInClaimForm() {
    const qint64 number = currentLine();
    if (!document_ || number == 0 || !model_->lineIndex())
        return;
    qm::LineIndex::Line line;
    if (!model_->lineIndex()->read(number, line))
        return;
    const QPointer<ClaimDocument> document = document_;
    if (!document->ensureTree() || !document || !document->tree())
        return;
    const qm::FileTree& tree = *document->tree();
    const std::int64_t node = tree.lastAtOrBefore(line.position);
    if (node < 0 || node >= tree.size())
        return;
    ClaimDocument::Place place;
    place.key = tree.key(node);
    // A trailer opens its batch (or the file) with the trailer shown, not
    // the claim before it.
    const std::string_view type = line.bytes.size() > line.recordStart
                                      ? std::string_view(line.bytes).substr(line.recordStart, 3)
                                      : std::string_view();
    if (type == "YA0" || type == "ZA0") {
        const std::vector<std::int64_t>& heads =
            type == "YA0" ? tree.batchNodes() : tree.headerNodes();
        const auto after = std::upper_bound(heads.begin(), heads.end(), node);
        if (after == heads.begin())
            return;
        place.key = tree.key(*(after - 1));
        place.show = ClaimDocument::Place::Show::Trailer;
        place.trailerPosition = line.position + std::int64_t(line.recordStart);
        document->goTo(place);
        return;
    }
    if (place.key.rfind("CA0", 0) == 0) {
        const qint64 claimLine = model_->lineIndex()->lineAt(tree.position(node));
        place.record = recordKey(claimLine, number).toStdString();
    }
    document->goTo(place);
}

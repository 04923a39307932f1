#include "TreeWindowBenchmark.h"

#include "EventWait.h"
#include "GuiBenchSession.h"
#include "ProcessMemory.h"
#include "StallWatch.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/NodeTextSearch.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/find/frmFind.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/ChartView.h"
#include "gui/summary/frmSummary.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

namespace {

const QString kTreeWindowName = QStringLiteral("frmNSFTree");
// Found in no node: the search runs over every node.
const QString kMissingText = QStringLiteral("NO SUCH TEXT ANYWHERE");

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget)
        : QObject(widget) {
        widget->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Waits for the file tree window's whole-file check to end and its count to
// be painted (the tree's marks in view are painted with it). Returns false
// when the check never ends (within the guard time).
bool waitForMarks(frmNSFTree& window) {
    ProblemCheck& check = *qobject_cast<ProblemCheck*>(window.problemMarks());
    auto* count = window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel3"));
    PaintWatch countPaint(count);
    QObject::connect(&check, &ProblemCheck::checkEnded, &countPaint,
                     [&countPaint] { countPaint.painted = false; });
    return EventWait::until(
        [&] {
            return check.state() == ProblemMarks::State::Finished && countPaint.painted &&
                   count->isVisible();
        },
        120000);
}

// Waits for a paint the watch notes; false when none comes within a minute.
bool waitForPaint(const PaintWatch& watch) {
    return EventWait::until([&watch] { return watch.painted; }, 60000);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A time as "median s (min minimum)".
void printSeconds(const char* what, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("%-40s not measured\n", what);
        return;
    }
    std::printf("%-40s %8.3f s (min %.3f)\n", what, median(ms) / 1e3,
                *std::min_element(ms.begin(), ms.end()) / 1e3);
}

// The load average over the last minute, as the figures beside it met it.
double loadAverage() {
    double load = -1;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

double mebibytes(long kib) {
    return double(kib) / 1024.0;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Presses Find and answers the dialog with text; returns the milliseconds the
// command took, dialog included.
double timeFindCommand(frmNSFTree& window, const QString& text) {
    QTimer::singleShot(0, &window, [text] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!qobject_cast<frmFind*>(dialog))
            return;
        dialog->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(text);
        dialog->findChild<QPushButton*>(QStringLiteral("cmdSearch"))->click();
    });
    QAction* find = window.findChild<QAction*>(QStringLiteral("Find"));
    QElapsedTimer clock;
    clock.start();
    find->trigger();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Trees built and checks begun, in all and while a row was being opened.
struct WorkCounts {
    std::atomic<int> builds{0}, checks{0}, openBuilds{0}, openChecks{0};
    std::atomic<bool> opening{false};
    void count(std::atomic<int>& all, std::atomic<int>& whileOpening) {
        ++all;
        if (opening)
            ++whileOpening;
    }
};

// Closes the tree window, then opens the first row of the problems window
// that is a claim's as Enter does, up to the claim form painted; false when
// it never is. A file whose problems are no claim's leaves the figure unmeasured.
bool timeRowWithTreeClosed(frmMain& main, frmProblems& problems, WorkCounts& counts,
                           std::vector<double>& ms, std::vector<double>& stallMs,
                           StallWatch& stalls) {
    // A batch's or the file's row opens no claim.
    int row = 0;
    const ProblemTableModel& rows = *problems.problems();
    while (row < rows.rowCount() && !rows.index(problems.sourceRow(row), ProblemTableModel::Where)
                                         .data()
                                         .toString()
                                         .startsWith(QLatin1String("CA0")))
        ++row;
    if (row == rows.rowCount()) {
        std::fprintf(stderr, "quillmark-treewindow-bench: no problem row is a claim's (nsfgen "
                             "--wrong-totals N makes one)\n");
        return true;
    }
    if (DocumentWindow* tree = main.documents()->findDocument(kTreeWindowName))
        tree->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
    counts.opening = true;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    emit problems.rowActivated(problems.sourceRow(row));
    auto* form = main.findChild<frmClaimForm*>();
    if (!form || !main.documents()->findDocument(kTreeWindowName)) {
        std::fprintf(stderr, "quillmark-treewindow-bench: the row opened no claim\n");
        return false;
    }
    const PaintWatch* formPaint = new PaintWatch(form);
    if (!waitForPaint(*formPaint)) {
        std::fprintf(stderr, "quillmark-treewindow-bench: the claim was never painted\n");
        return false;
    }
    ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    stallMs.push_back(stalls.stop());
    counts.opening = false;
    return true;
}

} // namespace

bool TreeWindowBenchmark::run(const BenchArguments& arguments) {
    const QString path = QFileInfo(arguments.file()).absoluteFilePath();
    GuiBenchSession session(arguments.mapsDir());
    AppContext& context = session.context();
    // The trees built and the checks run, told apart while a row is opened.
    const auto counts = std::make_shared<WorkCounts>();
    context.seams().buildTree = [counts](qm::SequentialFile& file, qm::ProgressControl& control) {
        counts->count(counts->builds, counts->openBuilds);
        return std::optional<qm::FileTree>(qm::BuildTree(file, control));
    };
    context.seams().pause = [counts](WorkSeams::Job job, const WorkSeams::Stopped&) {
        if (job == WorkSeams::Job::Check)
            counts->count(counts->checks, counts->openChecks);
    };
    frmMain main(context);
    main.setViews(new DocumentViews(*main.documents()));
    // Watches the tree of the window just opened (it has not painted yet:
    // nothing is painted before the command that opened it returns).
    PaintWatch* watch = nullptr;
    auto watchTree = [&main, &watch] {
        DocumentWindow* document = main.documents()->findDocument(kTreeWindowName);
        auto* window = document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
        if (window)
            watch = new PaintWatch(
                window->findChild<QTreeView*>(QStringLiteral("TreeView1"))->viewport());
        return window;
    };
    main.show();
    settle();
    // Room for the whole tree window, as on a user's screen.
    main.setGeometry(0, 0, 800, 600);
    settle();

    main.openFile(path);
    if (!context.document() || !session.dialogs().shown().isEmpty()) {
        std::fprintf(stderr, "quillmark-treewindow-bench: %s does not open as a claim file\n",
                     qUtf8Printable(path));
        for (const MessageBoxes::Record& box : session.dialogs().shown())
            std::fprintf(stderr, "  %s: %s\n", qUtf8Printable(box.title), qUtf8Printable(box.text));
        return false;
    }
    // Opening showed the tree at once; each run below times View Claims building it.
    if (DocumentWindow* shown = main.documents()->findDocument(kTreeWindowName)) {
        shown->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    auto* viewClaims = main.findChild<QAction*>(QStringLiteral("mnuClaimForm"));

    std::vector<double> showMs, stallMs, findCommandMs, findStallMs, searchMs, marksMs,
        checkStallMs;
    std::vector<double> onlyStallMs, allStallMs, reopenMs, reopenStallMs, summaryMs, summaryStallMs,
        problemsMs, problemsStallMs, problemsSortMs, problemsSortStallMs, problemsTextSortMs,
        problemsTextSortStallMs, rowOpenMs, rowOpenStallMs;
    const double loadBefore = loadAverage();
    qint64 problemClaims = 0, problemRows = 0;
    std::size_t problemBytes = 0;
    long marksAddedKiB = 0;
    long firstAddedKiB = -1;
    long maxAddedKiB = 0;
    long shownKiB = 0;
    qint64 nodes = 0, batches = 0, claims = 0;
    double bytesPerNode = 0;
    StallWatch stalls;
    for (int run = 0; run < arguments.count(); ++run) {
        settle();
        const long before = ProcessMemory::residentKiB();
        QElapsedTimer clock;
        clock.start();
        stalls.start();
        viewClaims->trigger();
        DocumentWindow* document = main.documents()->findDocument(kTreeWindowName);
        frmNSFTree* window = watchTree();
        if (!window) {
            std::fprintf(stderr, "quillmark-treewindow-bench: View Claims showed no tree\n");
            return false;
        }
        if (!waitForPaint(*watch)) {
            std::fprintf(stderr, "quillmark-treewindow-bench: the tree was never painted\n");
            return false;
        }
        showMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        stallMs.push_back(stalls.stop());
        const long shown = ProcessMemory::residentKiB();

        // The check started once the tree was shown: the window must answer
        // while it runs, and its marks and count follow.
        stalls.start();
        if (!waitForMarks(*window)) {
            std::fprintf(stderr, "quillmark-treewindow-bench: the check never finished\n");
            return false;
        }
        marksMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        checkStallMs.push_back(stalls.stop());
        // The File Summary as the shell shows it when the check ends: the
        // window with every chart of the check's figures, to its last chart painted.
        stalls.start();
        clock.restart();
        auto* summary = new frmSummary;
        summary->setStatistics(context.document()->statistics());
        // The charts are drawn one per turn, the procedures' last; then what
        // the window shows is painted (a chart scrolled out of view paints
        // nothing, so no one chart's paint is waited for).
        bool drawn = false;
        QObject::connect(summary, &frmSummary::chartsDrawn, summary, [&drawn] { drawn = true; });
        DocumentWindow* summaryDocument = main.documents()->addDocument(summary);
        // Not drawn within the wait (a busy machine): said, and the figures after it still taken.
        if (EventWait::until([&drawn] { return drawn; }, 60000)) {
            summary->repaint();
            summaryMs.push_back(double(clock.nsecsElapsed()) / 1e6);
            summaryStallMs.push_back(stalls.stop());
        } else {
            std::fprintf(stderr, "quillmark-treewindow-bench: the summary was never drawn\n");
            stalls.stop();
        }
        summaryDocument->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const qm::ProblemStore& problems =
            qobject_cast<ProblemCheck*>(window->problemMarks())->problems();
        problemClaims = problems.counts().claims;
        problemRows = problems.size();
        problemBytes = problems.memoryBytes();
        marksAddedKiB = std::max(marksAddedKiB, ProcessMemory::residentKiB() - shown);
        const long added = shown - before;
        shownKiB = std::max(shownKiB, shown);
        if (run == 0)
            firstAddedKiB = added;
        maxAddedKiB = std::max(maxAddedKiB, added);

        const qm::FileTree& tree = window->tree();
        nodes = tree.size();
        batches = tree.BatchCount;
        claims = tree.ClaimCount;
        bytesPerNode = double(tree.memoryBytes()) / double(std::max<qint64>(nodes, 1));
        stalls.start();
        findCommandMs.push_back(timeFindCommand(*window, kMissingText));
        findStallMs.push_back(stalls.stop());
        const NodeTextSearch search(kMissingText);
        clock.restart();
        const qint64 hit = search.findFirst(tree, 1, tree.size());
        searchMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (hit != 0 || session.dialogs().shown().isEmpty())
            std::fprintf(stderr, "quillmark-treewindow-bench: the Find did not search it all\n");
        session.dialogs().forgetBoxes();
        session.dialogs().setBoxesUnshown(true);

        // "Only claims with problems" on and off again, each until the tree
        // is painted.
        auto* problemsOnly = window->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"));
        for (std::vector<double>* toggleMs : {&onlyStallMs, &allStallMs}) {
            settle();
            watch->painted = false;
            stalls.start();
            problemsOnly->toggle();
            if (!waitForPaint(*watch)) {
                std::fprintf(stderr, "quillmark-treewindow-bench: the toggled tree was never "
                                     "painted\n");
                return false;
            }
            toggleMs->push_back(stalls.stop());
        }

        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The viewer at its largest, before the core builds below add their own.
    const long peakKiB = ProcessMemory::highWaterKiB();

    // View Claims up to its check done and the count painted; null when it failed.
    auto showCheckedTree = [&]() -> frmNSFTree* {
        settle();
        viewClaims->trigger();
        frmNSFTree* window = watchTree();
        if (!window || !waitForPaint(*watch) || !waitForMarks(*window)) {
            std::fprintf(stderr, "quillmark-treewindow-bench: no checked tree\n");
            return nullptr;
        }
        settle();
        return window;
    };

    // The same file opened again over its checked tree: the old tree goes and
    // the new one is shown (its check is cancelled when it closes).
    for (int run = 0; run < arguments.count(); ++run) {
        if (!showCheckedTree())
            return false;
        stalls.start();
        QElapsedTimer clock;
        clock.start();
        main.openFile(path);
        if (!watchTree() || !waitForPaint(*watch)) {
            std::fprintf(stderr, "quillmark-treewindow-bench: the reopened tree was never "
                                 "painted\n");
            return false;
        }
        reopenMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        reopenStallMs.push_back(stalls.stop());
        if (DocumentWindow* reopened = main.documents()->findDocument(kTreeWindowName))
            reopened->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    const long reopenPeakKiB = ProcessMemory::highWaterKiB();

    // The Problems window over every row of a check, to its rows painted
    // (after the figures of memory above: it holds its own rows).
    long problemsFirstKiB = -1;
    long problemsMaxKiB = 0;
    for (int run = 0; run < arguments.count(); ++run) {
        frmNSFTree* window = showCheckedTree();
        if (!window)
            return false;
        const long beforeProblems = ProcessMemory::residentKiB();
        QElapsedTimer clock;
        stalls.start();
        clock.start();
        auto* problemsWindow = new frmProblems(*context.document());
        const PaintWatch* rowsPaint = new PaintWatch(
            problemsWindow->findChild<ResultsTableView*>(QStringLiteral("gridProblems"))
                ->viewport());
        DocumentWindow* problemsDocument = main.documents()->addDocument(problemsWindow);
        if (!waitForPaint(*rowsPaint)) {
            std::fprintf(stderr, "quillmark-treewindow-bench: the problems were never painted\n");
            return false;
        }
        problemsMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        problemsStallMs.push_back(stalls.stop());
        const long problemsKiB = ProcessMemory::residentKiB() - beforeProblems;
        if (problemsFirstKiB < 0)
            problemsFirstKiB = problemsKiB;
        problemsMaxKiB = std::max(problemsMaxKiB, problemsKiB);
        // A click on the Kind heading (whole numbers), then on the Name
        // heading (texts): every row sorted each time.
        ResultsFilterModel* shown = problemsWindow->shownRows();
        for (const auto& [column, ms, sortStallMs] :
             {std::tuple(ProblemTableModel::Kind, &problemsSortMs, &problemsSortStallMs),
              std::tuple(ProblemTableModel::Name, &problemsTextSortMs, &problemsTextSortStallMs)}) {
            stalls.start();
            clock.restart();
            problemsWindow->table()->sortByColumn(column, Qt::AscendingOrder);
            if (!EventWait::until([shown] { return !shown->isSorting(); }, 600000)) {
                std::fprintf(stderr,
                             "quillmark-treewindow-bench: the problems were never sorted\n");
                return false;
            }
            ms->push_back(double(clock.nsecsElapsed()) / 1e6);
            sortStallMs->push_back(stalls.stop());
        }
        // A row opened with the tree window closed: the tree window comes
        // back over the document's tree and the claim opens in the form,
        // nothing built or checked again.
        if (!timeRowWithTreeClosed(main, *problemsWindow, *counts, rowOpenMs, rowOpenStallMs,
                                   stalls))
            return false;
        problemsDocument->close();
        if (DocumentWindow* tree = main.documents()->findDocument(kTreeWindowName))
            tree->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The core's share of View Claims: reading the file and building the tree.
    std::vector<double> buildMs;
    for (int run = 0; run < arguments.count(); ++run) {
        qm::SequentialFile& file = context.document()->file().reader();
        QElapsedTimer clock;
        clock.start();
        const qm::FileTree tree = qm::BuildTree(file);
        buildMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    std::printf("file                          %s (%.1f MiB)\n", qUtf8Printable(path),
                double(QFileInfo(path).size()) / (1024.0 * 1024.0));
    std::printf("tree                          %lld nodes, %lld batches, %lld claims\n",
                static_cast<long long>(nodes), static_cast<long long>(batches),
                static_cast<long long>(claims));
    std::printf("runs                          %d (median, and the minimum); load %.2f before, "
                "%.2f after\n",
                arguments.count(), loadBefore, loadAverage());
    printSeconds("View Claims to tree painted", showMs);
    printSeconds("  of which tree build (core)", buildMs);
    printSeconds("  longest event-loop stall", stallMs);
    printSeconds("View Claims to every mark and the count", marksMs);
    printSeconds("  longest stall while checking", checkStallMs);
    printSeconds("File Summary shown to its charts painted", summaryMs);
    printSeconds("  longest event-loop stall", summaryStallMs);
    printSeconds("Problems window shown to its rows painted", problemsMs);
    printSeconds("  longest event-loop stall", problemsStallMs);
    printSeconds("  sorted by Kind (heading click)", problemsSortMs);
    printSeconds("  longest event-loop stall", problemsSortStallMs);
    printSeconds("  then by Name (heading click)", problemsTextSortMs);
    printSeconds("  longest event-loop stall", problemsTextSortStallMs);
    printSeconds("Problems row, tree closed, to claim painted", rowOpenMs);
    printSeconds("  longest event-loop stall", rowOpenStallMs);
    std::printf("  trees built and checks run for it: %d and %d\n", counts->openBuilds.load(),
                counts->openChecks.load());
    std::printf("  resident memory added      %8.1f MiB (first run), %.1f MiB (largest)\n",
                mebibytes(problemsFirstKiB), mebibytes(problemsMaxKiB));
    printSeconds("Only claims with problems on: stall", onlyStallMs);
    printSeconds("  and off again: stall", allStallMs);
    printSeconds("Open again over the tree to painted", reopenMs);
    printSeconds("  longest event-loop stall", reopenStallMs);
    std::printf("problems                      %lld claims, %lld rows, %.2f MiB kept (%.1f bytes a "
                "row)\n",
                static_cast<long long>(problemClaims), static_cast<long long>(problemRows),
                double(problemBytes) / (1024.0 * 1024.0),
                double(problemBytes) / double(std::max<qint64>(problemRows, 1)));
    std::printf("resident memory added by the check %6.1f MiB (largest)\n",
                mebibytes(marksAddedKiB));
    std::printf("resident memory of the viewer %8.1f MiB with the tree shown, %.1f MiB at most\n",
                mebibytes(shownKiB), mebibytes(peakKiB));
    std::printf("  and at most when opened again over its tree %.1f MiB\n",
                mebibytes(reopenPeakKiB));
    std::printf("resident memory added         %8.1f MiB (first run), %.1f MiB (largest)\n",
                mebibytes(firstAddedKiB), mebibytes(maxAddedKiB));
    std::printf("engine tree                   %8.1f bytes a node\n", bytesPerNode);
    printSeconds("Find over the whole tree (with dialog)", findCommandMs);
    printSeconds("  longest event-loop stall", findStallMs);
    printSeconds("  search alone", searchMs);
    return true;
}

#include "ClaimListBenchmark.h"

#include "BenchArguments.h"
#include "ChildProcess.h"
#include "EventWait.h"
#include "GuiBenchSession.h"
#include "ProcessMemory.h"
#include "StallWatch.h"
#include "gui/claimlist/ClaimListModel.h"
#include "gui/claimlist/frmClaimList.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FilterBar.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ClaimFilterJob.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/TreeDisplayFilter.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Filters that mean something on a file of bare claims (a CA0 line each,
// as bench/run-10m.sh writes it): control numbers holding "123", and those
// ending in 7 -- both read every claim's CA0.
const QString kWhileChecking = QStringLiteral("CA0.03.0 contains \"123\"");
const QString kAfterCheck = QStringLiteral("CA0.03.0 matches \"7$\"");
constexpr int kGuardMs = 600000;

// Notes the first paint of a widget after it was reset.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

struct Figures {
    std::vector<double> fedMs, fedStallMs, ownMs, ownStallMs, openMs, firstRowsMs, listedMs,
        listStallMs, sortMs, sortStallMs, residentMiB;
    std::int64_t fedBytes = -1, ownBytes = -1, fedShown = 0, ownShown = 0;
    bool fed = false; // the filter set while the check reads read along with it
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double loadAverage() {
    double load = -1;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

double elapsedMs(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

// Applies expression to the tree's display filter and waits for the tree it
// shows; the time, the stall and the job's figures go to ms, stallMs, bytes, shown.
bool timeFilter(frmNSFTree& tree, const QString& expression, std::vector<double>& ms,
                std::vector<double>& stallMs, std::int64_t& bytes, std::int64_t& shown,
                bool* fed = nullptr) {
    auto* filter = tree.findChild<TreeDisplayFilter*>();
    StallWatch stalls;
    QElapsedTimer clock;
    stalls.start();
    clock.start();
    if (!filter->bar()->apply(expression) ||
        !EventWait::until([filter] { return !filter->isRunning(); }, kGuardMs))
        return false;
    settle();
    ms.push_back(elapsedMs(clock));
    stallMs.push_back(stalls.stop());
    const ClaimFilterJob::Summary& summary = tree.findChild<ClaimFilterJob*>()->summary();
    bytes = summary.bytesRead;
    shown = summary.matched;
    if (fed)
        *fed = summary.fedByCheck;
    filter->clear();
    settle();
    return true;
}

// Opens the Claim List and sorts it by Stated Total.
bool timeClaimList(frmMain& main, Figures& figures) {
    StallWatch stalls;
    QElapsedTimer clock;
    stalls.start();
    clock.start();
    main.findChild<QAction*>(QStringLiteral("mnuToolsClaimList"))->trigger();
    DocumentWindow* window = main.documents()->findDocument(QStringLiteral("frmClaimList"));
    auto* list = window ? qobject_cast<frmClaimList*>(window->widget()) : nullptr;
    if (!list)
        return false;
    PaintWatch painted(list->table()->viewport());
    if (!EventWait::until([&painted] { return painted.painted; }, kGuardMs))
        return false;
    figures.openMs.push_back(elapsedMs(clock));
    PaintWatch rowsPainted(list->table()->viewport());
    if (!EventWait::until([&] { return list->table()->model()->rowCount() > 0; }, kGuardMs))
        return false;
    rowsPainted.painted = false;
    EventWait::until([&rowsPainted] { return rowsPainted.painted; }, kGuardMs);
    figures.firstRowsMs.push_back(elapsedMs(clock));
    if (!EventWait::until([list] { return !list->isListing(); }, kGuardMs))
        return false;
    figures.listedMs.push_back(elapsedMs(clock));
    figures.listStallMs.push_back(stalls.stop());

    stalls.start();
    clock.restart();
    list->shownRows()->sort(ClaimListModel::StatedTotal, Qt::AscendingOrder);
    if (!EventWait::until([list] { return !list->shownRows()->isSorting(); }, kGuardMs))
        return false;
    figures.sortMs.push_back(elapsedMs(clock));
    figures.sortStallMs.push_back(stalls.stop());
    settle();
    figures.residentMiB.push_back(double(ProcessMemory::residentKiB()) / 1024.0);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
    return true;
}

bool oneRun(frmMain& main, frmNSFTree& tree, Figures& figures) {
    ProblemCheck& check = *qobject_cast<ProblemCheck*>(tree.problemMarks());
    // Set while the check reads: its reading feeds the filter.
    check.startCheck();
    if (!timeFilter(tree, kWhileChecking, figures.fedMs, figures.fedStallMs, figures.fedBytes,
                    figures.fedShown, &figures.fed))
        return false;
    if (!EventWait::until([&check] { return check.state() == ProblemMarks::State::Finished; },
                          kGuardMs))
        return false;
    // Set after it: a reading of the filter's own.
    return timeFilter(tree, kAfterCheck, figures.ownMs, figures.ownStallMs, figures.ownBytes,
                      figures.ownShown) &&
           timeClaimList(main, figures);
}

void print(const char* what, const std::vector<double>& ms, const std::vector<double>& stallMs,
           double wcMs, const char* target) {
    std::printf("%-44s %8.3f s (min %.3f, %.2fx wc -l; %s); longest stall %.3f s (target <= "
                "0.05 s)\n",
                what, median(ms) / 1e3, *std::min_element(ms.begin(), ms.end()) / 1e3,
                median(ms) / wcMs, target, median(stallMs) / 1e3);
}

} // namespace

bool ClaimListBenchmark::run(const BenchArguments& arguments) {
    const QString path = QFileInfo(arguments.file()).absoluteFilePath();
    GuiBenchSession session(arguments.mapsDir());
    AppContext& context = session.context();
    // The shell as the program makes it, its commands included.
    const std::unique_ptr<frmMain> made = Startup::run(context, {}, arguments.mapsDir());
    if (!made)
        return false;
    frmMain& main = *made;
    main.show();
    main.setGeometry(0, 0, 1000, 700);
    settle();
    const double loadBefore = loadAverage();
    main.openFile(path);
    DocumentWindow* shown = main.documents()->findDocument(QStringLiteral("frmNSFTree"));
    auto* tree = shown ? qobject_cast<frmNSFTree*>(shown->widget()) : nullptr;
    if (!context.document() || !tree || !session.dialogs().shown().isEmpty()) {
        std::fprintf(stderr, "quillmark-claimlist-bench: %s does not open as a claim file\n",
                     qUtf8Printable(path));
        return false;
    }
    Figures figures;
    for (int run = 0; run < arguments.count(); ++run) {
        if (!oneRun(main, *tree, figures)) {
            std::fprintf(stderr, "quillmark-claimlist-bench: run %d did not finish\n", run + 1);
            return false;
        }
    }
    const double wcMs =
        ChildProcess::medianSeconds({"wc", "-l", path.toStdString()}, arguments.count()) * 1e3;
    std::printf("wc -l over the file (the same run)               %8.3f s\n", wcMs / 1e3);
    print("display filter set while the check reads", figures.fedMs, figures.fedStallMs, wcMs,
          "target <= 3 s");
    std::printf("  %s: %lld claims shown, %.1f MiB read\n",
                figures.fed ? "fed by the check's reading" : "a reading of its own beside it",
                static_cast<long long>(figures.fedShown), double(figures.fedBytes) / 1048576.0);
    print("display filter set after the check", figures.ownMs, figures.ownStallMs, wcMs,
          "target <= 3 s");
    std::printf("  a reading of its own: %lld claims shown, %.1f MiB read\n",
                static_cast<long long>(figures.ownShown), double(figures.ownBytes) / 1048576.0);
    print("Claim List window painted", figures.openMs, figures.listStallMs, wcMs,
          "target <= 0.5 s");
    print("Claim List first rows painted", figures.firstRowsMs, figures.listStallMs, wcMs, "-");
    print("Claim List every claim listed", figures.listedMs, figures.listStallMs, wcMs, "-");
    print("Claim List sorted by Stated Total", figures.sortMs, figures.sortStallMs, wcMs,
          "target <= 3 s");
    std::printf("resident memory with tree, check and Claim List %8.1f MiB (target <= 600)\n",
                median(figures.residentMiB));
    std::printf("load average before %.2f, after %.2f\n", loadBefore, loadAverage());
    return true;
}

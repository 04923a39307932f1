#include "LinesWindowBenchmark.h"

#include "ChildProcess.h"
#include "EventWait.h"
#include "GuiBenchSession.h"
#include "ProcessMemory.h"
#include "StallWatch.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/ProblemMarks.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/lines/LineTableModel.h"
#include "gui/lines/frmFileLines.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kWindowName = QStringLiteral("frmFileLines");
// Places the thumb is dragged to, spread through the file.
constexpr int kThumbPlaces = 40;
constexpr int kGuardMs = 600000;

// Notes when the grid's viewport is next painted with lines in it.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QTableView& grid)
        : grid_(grid) {
        grid.viewport()->installEventFilter(this);
    }
    // From now on: the time of the next paint.
    void arm() {
        paintedMs_ = -1;
        clock_.start();
    }
    // Up to the end of the next paint: the filter sees it begin, and the
    // lines it reads are read while it runs.
    double waitMs() {
        EventWait::until([this] { return paintedMs_ >= 0; }, kGuardMs);
        return paintedMs_ < 0 ? -1 : double(clock_.nsecsElapsed()) / 1e6;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedMs_ < 0 && clock_.isValid() &&
            grid_.model()->rowCount() > 0)
            paintedMs_ = double(clock_.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    QTableView& grid_;
    QElapsedTimer clock_;
    double paintedMs_ = -1;
};

struct Run {
    double openPaintedMs = -1;
    double indexedMs = -1;
    double indexStallMs = -1;
    double goToMs[3] = {-1, -1, -1}; // the first line, a middle one, the last
    double thumbStallMs = -1;
    double thumbLoopStallMs = -1;
    long addedKiB = 0;
};

double loadAverage() {
    double load = -1;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

frmFileLines* linesWindow(const frmMain& main) {
    DocumentWindow* window = main.documents()->findDocument(kWindowName);
    return window ? qobject_cast<frmFileLines*>(window->widget()) : nullptr;
}

// Drags the thumb to places spread through the file, out of order, each up to
// its lines painted; the longest of them.
double dragThumb(QScrollBar* bar, PaintWatch& paints) {
    double longest = 0;
    for (int i = 0; i < kThumbPlaces; ++i) {
        const int place = (i * 17) % kThumbPlaces;
        paints.arm();
        bar->setValue(int(qint64(bar->maximum()) * place / (kThumbPlaces - 1)));
        longest = std::max(longest, paints.waitMs());
    }
    return longest;
}

// Opens the window, and times it up to closed again.
bool once(frmMain& main, int runIndex, Run& run) {
    const long before = ProcessMemory::residentKiB();
    StallWatch stalls;
    QElapsedTimer clock;
    stalls.start();
    clock.start();
    main.findChild<QAction*>(QStringLiteral("mnuToolsFileLines"))->trigger();
    frmFileLines* window = linesWindow(main);
    if (!window)
        return false;
    PaintWatch paints(*window->grid());
    paints.arm();
    // The paint itself is timed from the command, not from the watch.
    const double painted = paints.waitMs();
    run.openPaintedMs = painted < 0 ? -1 : double(clock.nsecsElapsed()) / 1e6;
    if (!EventWait::until([window] { return window->isIndexed(); }, kGuardMs))
        return false;
    run.indexedMs = double(clock.nsecsElapsed()) / 1e6;
    run.indexStallMs = stalls.stop();

    // Lines of other blocks each run, so that none is read from the cache.
    const qint64 lines = window->model()->lineCount();
    const qint64 apart = qint64(LineTableModel::kBlockLines) * 40 * runIndex;
    const qint64 targets[3] = {1 + apart, lines / 2 + apart, lines - apart};
    for (int i = 0; i < 3; ++i) {
        paints.arm();
        if (!window->showLine(std::clamp<qint64>(targets[i], 1, lines)))
            return false;
        run.goToMs[i] = paints.waitMs();
    }
    stalls.start();
    run.thumbStallMs = dragThumb(window->lineBar(), paints);
    run.thumbLoopStallMs = stalls.stop();
    run.addedKiB = ProcessMemory::residentKiB() - before;
    main.documents()->findDocument(kWindowName)->close();
    EventWait::until([&main] { return !linesWindow(main); }, kGuardMs);
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Field>
void print(const char* what, const std::vector<Run>& runs, Field field, double target,
           const char* unit = "s") {
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(field(run));
    const double scale = std::string(unit) == "s" ? 1e3 : 1.0;
    std::printf("%-44s %9.4f %s (min %.4f, max %.4f; target %.3f)\n", what, median(values) / scale,
                unit, *std::min_element(values.begin(), values.end()) / scale,
                *std::max_element(values.begin(), values.end()) / scale, target);
}

} // namespace

bool LinesWindowBenchmark::run(const BenchArguments& arguments) {
    const QString path = QFileInfo(arguments.file()).absoluteFilePath();
    GuiBenchSession session(arguments.mapsDir());
    const std::unique_ptr<frmMain> main =
        Startup::run(session.context(), {path}, arguments.mapsDir());
    main->setGeometry(0, 0, 1200, 800);
    DocumentWindow* treeDocument = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    if (!treeDocument || !session.dialogs().shown().isEmpty()) {
        std::fprintf(stderr, "quillmark-lines-bench: %s does not open as a claim file\n",
                     qUtf8Printable(path));
        return false;
    }
    EventWait::until(
        [&main] {
            DocumentWindow* document =
                main->documents()->findDocument(QStringLiteral("frmNSFTree"));
            auto* tree = document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
            return !tree || tree->problemMarks()->state() == ProblemMarks::State::Finished;
        },
        kGuardMs);
    std::printf("file %s (%.1f MiB), load %.2f\n", qUtf8Printable(path),
                double(QFileInfo(path).size()) / (1024.0 * 1024.0), loadAverage());

    std::vector<Run> runs(std::size_t(arguments.count()));
    std::vector<double> wcMs;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (!once(*main, int(i), runs[i])) {
            std::fprintf(stderr, "quillmark-lines-bench: the File Lines window did not open\n");
            return false;
        }
        // The reference, in turn with the window so that both meet the same load.
        wcMs.push_back(ChildProcess::medianSeconds({"wc", "-l", path.toStdString()}, 1) * 1e3);
    }
    print(
        "opened, first lines painted:", runs, [](const Run& r) { return r.openPaintedMs; }, 0.2);
    print(
        "every line indexed:", runs, [](const Run& r) { return r.indexedMs; }, 0);
    std::printf("%-44s %9.3f s\n", "  wc -l over the file (reference):", median(wcMs) / 1e3);
    print(
        "  longest stall meanwhile:", runs, [](const Run& r) { return r.indexStallMs; }, 0.05);
    const char* const goTo[3] = {
        "Go to Line, first, to painted:", "Go to Line, middle, to painted:",
        "Go to Line, last, to painted:"};
    for (int i = 0; i < 3; ++i)
        print(
            goTo[i], runs, [i](const Run& r) { return r.goToMs[i]; }, 0.1);
    print(
        "thumb dragged, longest to painted:", runs, [](const Run& r) { return r.thumbStallMs; },
        0.05);
    print(
        "  longest event-loop stall meanwhile:", runs,
        [](const Run& r) { return r.thumbLoopStallMs; }, 0.05);
    print(
        "memory the open window adds:", runs,
        [](const Run& r) { return double(r.addedKiB) / 1024.0; }, 20, "MiB");
    std::printf("load average after: %.2f\n", loadAverage());
    return true;
}

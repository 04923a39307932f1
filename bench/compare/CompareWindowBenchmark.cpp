#include "CompareWindowBenchmark.h"

#include "EventWait.h"
#include "GuiBenchSession.h"
#include "ProcessMemory.h"
#include "StallWatch.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Run {
    double firstRowsMs = -1;
    double firstPaintMs = -1;
    double totalMs = -1;
    double stallMs = -1;
    int rows = 0;
};

// Notes when the table's viewport is first painted after rows reached it.
class FirstRowsPainted : public QObject {
public:
    FirstRowsPainted(ResultsTableView* table, const QElapsedTimer& clock)
        : clock_(clock) {
        table->viewport()->installEventFilter(this);
        connect(table->model(), &QAbstractItemModel::rowsInserted, this, [this] {
            if (arrivedMs_ < 0)
                arrivedMs_ = double(clock_.nsecsElapsed()) / 1e6;
        });
    }
    double arrivedMs_ = -1;
    double paintedMs_ = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && arrivedMs_ >= 0 && paintedMs_ < 0)
            paintedMs_ = double(clock_.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

// File > Compare With... the other file, followed to the comparison's end.
bool compareOnce(frmMain& main, RecordingDialogs& dialogs, const QString& other, Run& run) {
    StallWatch stalls;
    QElapsedTimer clock;
    dialogs.setNextFileName(other);
    stalls.start();
    clock.start();
    // The other file opens on a worker; the rows arrive once the event loop runs again.
    main.findChild<QAction*>(QStringLiteral("mnuFileCompare"))->trigger();
    DocumentWindow* document = main.documents()->findDocument(QStringLiteral("frmCompare"));
    auto* window = document ? qobject_cast<frmCompare*>(document->widget()) : nullptr;
    if (!window)
        return false;
    FirstRowsPainted first(window->table(), clock);
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("cmdCancelCompare"));
    if (!EventWait::until([cancel, window] { return !cancel->isVisibleTo(window); }, 300000))
        return false;
    run.totalMs = double(clock.nsecsElapsed()) / 1e6;
    EventWait::until([&first] { return first.paintedMs_ >= 0; }, 2000);
    run.stallMs = stalls.stop();
    run.firstRowsMs = first.arrivedMs_;
    run.firstPaintMs = first.paintedMs_;
    run.rows = window->table()->model()->rowCount();
    return true;
}

void print(const char* what, const Run& run) {
    std::printf("%-30s first differences %7.3f s, painted %7.3f s (target <= 0.5 s); done "
                "%7.3f s; %d rows; longest event-loop stall %6.3f s (target <= 0.05 s)\n",
                what, run.firstRowsMs / 1e3, run.firstPaintMs / 1e3, run.totalMs / 1e3, run.rows,
                run.stallMs / 1e3);
}

} // namespace

bool CompareWindowBenchmark::run(const BenchArguments& arguments) {
    const QString path = QFileInfo(arguments.file()).absoluteFilePath();
    const QString other = QFileInfo(arguments.otherFile()).absoluteFilePath();
    if (arguments.otherFile().isEmpty()) {
        std::fprintf(stderr, "quillmark-compare-bench: give the file to compare with, FILE2\n");
        return false;
    }
    GuiBenchSession session(arguments.mapsDir());
    const std::unique_ptr<frmMain> main =
        Startup::run(session.context(), {path}, arguments.mapsDir());
    main->setGeometry(0, 0, 1200, 800);
    DocumentWindow* treeDocument = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    if (!treeDocument || !session.dialogs().shown().isEmpty()) {
        std::fprintf(stderr, "quillmark-compare-bench: %s does not open as a claim file\n",
                     qUtf8Printable(path));
        return false;
    }
    // The viewer quiet: its own whole-file check of the open file done.
    auto* tree = qobject_cast<frmNSFTree*>(treeDocument->widget());
    EventWait::until(
        [tree] { return tree->problemMarks()->state() == ProblemMarks::State::Finished; }, 300000);
    std::printf("A %s (%.1f MiB), B %s (%.1f MiB)\n", qUtf8Printable(path),
                double(QFileInfo(path).size()) / (1024.0 * 1024.0), qUtf8Printable(other),
                double(QFileInfo(other).size()) / (1024.0 * 1024.0));
    const long before = ProcessMemory::residentKiB();

    std::vector<Run> runs(std::size_t(arguments.count()));
    for (Run& run : runs) {
        if (!compareOnce(*main, session.dialogs(), other, run) ||
            !session.dialogs().shown().isEmpty()) {
            std::fprintf(stderr, "quillmark-compare-bench: the comparison did not run\n");
            return false;
        }
    }
    print("first comparison:", runs.front());
    auto median = [&runs](double Run::*field) {
        std::vector<double> values;
        for (const Run& run : runs)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    Run medians;
    medians.firstRowsMs = median(&Run::firstRowsMs);
    medians.firstPaintMs = median(&Run::firstPaintMs);
    medians.totalMs = median(&Run::totalMs);
    medians.stallMs = median(&Run::stallMs);
    medians.rows = runs.front().rows;
    print("all comparisons (medians):", medians);
    std::printf("viewer resident memory: %.1f MiB with the tree of A before, %.1f MiB after, "
                "%.1f MiB at most\n",
                before / 1024.0, ProcessMemory::residentKiB() / 1024.0,
                ProcessMemory::highWaterKiB() / 1024.0);
    return true;
}

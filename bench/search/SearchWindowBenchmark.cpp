#include "SearchWindowBenchmark.h"

#include "EventWait.h"
#include "GuiBenchSession.h"
#include "StallWatch.h"
#include "WcLines.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/SearchResultsModel.h"
#include "gui/search/frmSearchFields.h"
#include "gui/search/frmSearchResults.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Found in many claims all through the benchmark file.
const QString kSearchText = QStringLiteral("GALLOWAY");
// In the file header and trailer every claim shows: two rows a claim, enough
// rows to time the results filter on.
const QString kManyRowsText = QStringLiteral("QMSUBMITTER0001");
// Typed into the results filter letter by letter, this far apart: a pause
// long enough for each letter's filter to start before the next replaces it.
const QString kFilterText = QStringLiteral("galloway");
constexpr int kKeystrokeMs = 200;
// Regular expressions over every field: names, and codes of letters and three digits.
const char* const kPatterns[] = {"(?i)smith|jones", "^[A-Z]+[0-9]{3}$"};
// The Match picker's entries.
constexpr int kContains = 0;
constexpr int kRegularExpression = 2;

// Notes when a table's viewport is first painted after rows reached it.
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

struct Run {
    double firstRowsMs = -1;
    double firstPaintMs = -1;
    double totalMs = -1;
    double stallMs = -1;
    int rows = 0;
};

// The search results window while it is open, or nullptr.
frmSearchResults* resultsWindow(const frmMain& main) {
    DocumentWindow* window = main.documents()->findDocument(QStringLiteral("frmSearchResults"));
    return window ? qobject_cast<frmSearchResults*>(window->widget()) : nullptr;
}

// Presses Search in the panel for text, matched as the Match picker's entry
// `match` says, and follows the search to its end.
bool searchOnce(frmMain& main, Run& run, const QString& text = kSearchText, int match = kContains) {
    main.findChild<QAction*>(QStringLiteral("mnuToolsSearchFields"))->trigger();
    auto* panel = main.findChild<frmSearchFields*>();
    panel->findChild<QLineEdit*>(QStringLiteral("txtSearchFor"))->setText(text);
    panel->findChild<QComboBox*>(QStringLiteral("cboMatch"))->setCurrentIndex(match);
    auto* search = panel->findChild<QPushButton*>(QStringLiteral("cmdSearch"));
    QCoreApplication::processEvents();

    StallWatch stalls;
    QElapsedTimer clock;
    stalls.start();
    clock.start();
    search->click();
    frmSearchResults* results = resultsWindow(main);
    if (!results)
        return false;
    FirstRowsPainted first(results->table(), clock);
    if (!EventWait::until([search] { return search->isEnabled(); }, 120000))
        return false;
    run.totalMs = double(clock.nsecsElapsed()) / 1e6;
    EventWait::until([&first] { return first.paintedMs_ >= 0; }, 2000);
    run.stallMs = stalls.stop();
    run.firstRowsMs = first.arrivedMs_;
    run.firstPaintMs = first.paintedMs_;
    run.rows = results->table()->model()->rowCount();
    return true;
}

void print(const char* what, const Run& run) {
    if (run.rows == 0) {
        std::printf("%-34s no rows; done %7.3f s; longest event-loop stall %6.3f s (target <= "
                    "0.05 s)\n",
                    what, run.totalMs / 1e3, run.stallMs / 1e3);
        return;
    }
    std::printf("%-34s first rows %7.3f s, painted %7.3f s (target <= 0.2 s); done %7.3f s; "
                "%d rows; longest event-loop stall %6.3f s (target <= 0.05 s)\n",
                what, run.firstRowsMs / 1e3, run.firstPaintMs / 1e3, run.totalMs / 1e3, run.rows,
                run.stallMs / 1e3);
}

// Until the results window shows its filter's rows: none of its timers
// (the pause after typing, the filter's own work) is waiting and its count
// no longer says it is filtering.
bool filterShown(const frmSearchResults& results) {
    const auto timers = results.findChildren<QTimer*>();
    const bool waiting = std::any_of(timers.begin(), timers.end(),
                                     [](const QTimer* timer) { return timer->isActive(); });
    return !waiting && !results.shownRows()->isSorting() &&
           !results.findChild<QLabel*>(QStringLiteral("lblRows"))
                ->text()
                .contains(QStringLiteral("filtering"));
}

struct FilterRun {
    double stallMs = -1;
    double shownMs = -1; // from the last change to the rows shown
    int rows = 0;
};

// Changes the filter as change says (called keystrokes times, kKeystrokeMs
// apart) and follows it until the rows are shown.
FilterRun filterOnce(frmSearchResults& results, int keystrokes,
                     const std::function<void(int)>& change) {
    FilterRun run;
    StallWatch stalls;
    QElapsedTimer clock;
    stalls.start();
    for (int key = 0; key < keystrokes; ++key) {
        if (key > 0)
            EventWait::until([&clock] { return clock.elapsed() >= kKeystrokeMs; }, kKeystrokeMs);
        clock.start();
        change(key);
    }
    if (!EventWait::until([&results] { return filterShown(results); }, 120000))
        return run;
    run.shownMs = double(clock.nsecsElapsed()) / 1e6;
    QCoreApplication::processEvents();
    run.stallMs = stalls.stop();
    run.rows = results.table()->model()->rowCount();
    return run;
}

void printFilter(const char* what, const FilterRun& run) {
    std::printf("%-34s %d rows shown %7.3f s after the last change; longest event-loop stall "
                "%6.3f s (target <= 0.05 s)\n",
                what, run.rows, run.shownMs / 1e3, run.stallMs / 1e3);
}

// A regular expression over every field, runs times, each after a `wc -l`
// of the file: the search's medians against wc's, as the command line's are.
bool timeRegex(frmMain& main, const char* pattern, const QString& path, int runs) {
    Run regex;
    std::vector<double> done, wc;
    for (int run = 0; run < std::max(runs, 1); ++run) {
        wc.push_back(WcLines::seconds(path));
        if (!searchOnce(main, regex, QString::fromUtf8(pattern), kRegularExpression))
            return false;
        done.push_back(regex.totalMs / 1e3);
    }
    const QString label = QStringLiteral("regular expression %1:").arg(QLatin1String(pattern));
    print(qPrintable(label), regex);
    const double wcMedian = WcLines::median(wc);
    std::printf("%-34s done median %7.3f s (min %.3f) against wc -l %.3f s (min %.3f): %.2fx "
                "wc -l (target <= 3), load %.2f\n",
                "", WcLines::median(done), WcLines::least(done), wcMedian, WcLines::least(wc),
                WcLines::median(done) / wcMedian, WcLines::load());
    return true;
}

// With the results of a search that finds many rows: the filter typed letter
// by letter and cleared, a category chosen and all again, and a sort.
bool timeFilter(frmMain& main) {
    Run search;
    if (!searchOnce(main, search, kManyRowsText))
        return false;
    print("search for the filter's rows:", search);
    frmSearchResults* results = resultsWindow(main);
    auto* box = results->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    printFilter("filter typed letter by letter:",
                filterOnce(*results, int(kFilterText.size()),
                           [box](int key) { box->setText(kFilterText.left(key + 1)); }));
    printFilter("filter cleared:", filterOnce(*results, 1, [box](int) { box->clear(); }));
    // The search window has no categories of its own: the problems and
    // comparison windows' picker, on these rows.
    results->setCategories(QStringLiteral("&Kind:"),
                           {{QStringLiteral("All"), {}}, {QStringLiteral("One"), 1}});
    auto* kinds = results->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    printFilter("category chosen:",
                filterOnce(*results, 1, [kinds](int) { kinds->setCurrentIndex(1); }));
    printFilter("category back to all:",
                filterOnce(*results, 1, [kinds](int) { kinds->setCurrentIndex(0); }));
    // A header click: the rows keep their order until the sort, worked out
    // on a worker, is done.
    ResultsTableView* table = results->table();
    printFilter("sorted by value (header click):", filterOnce(*results, 1, [table](int) {
                    table->sortByColumn(SearchResultsModel::Value, Qt::AscendingOrder);
                }));
    printFilter("sorted by claim again:", filterOnce(*results, 1, [table](int) {
                    table->sortByColumn(SearchResultsModel::Claim, Qt::AscendingOrder);
                }));
    return true;
}

} // namespace

bool SearchWindowBenchmark::run(const BenchArguments& arguments) {
    const QString path = QFileInfo(arguments.file()).absoluteFilePath();
    GuiBenchSession session(arguments.mapsDir());
    const std::unique_ptr<frmMain> main =
        Startup::run(session.context(), {path}, arguments.mapsDir());
    main->setGeometry(0, 0, 1200, 800);
    DocumentWindow* treeDocument = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
    if (!treeDocument || !session.dialogs().shown().isEmpty()) {
        std::fprintf(stderr, "quillmark-search-bench: %s does not open as a claim file\n",
                     qUtf8Printable(path));
        return false;
    }
    auto checkDone = [&main] {
        DocumentWindow* document = main->documents()->findDocument(QStringLiteral("frmNSFTree"));
        auto* tree = document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
        return !tree || tree->problemMarks()->state() == ProblemMarks::State::Finished;
    };

    std::printf("file %s (%.1f MiB), searching every field for \"%s\"\n", qUtf8Printable(path),
                double(QFileInfo(path).size()) / (1024.0 * 1024.0), qUtf8Printable(kSearchText));
    // What the viewer does by itself once a file is open, for comparison.
    StallWatch checkStalls;
    checkStalls.start();
    EventWait::until(checkDone, 120000);
    std::printf("%-34s longest event-loop stall %6.3f s\n",
                "the whole-file check alone:", checkStalls.stop() / 1e3);

    std::vector<Run> runs(std::size_t(arguments.count()) + 1);
    for (Run& run : runs)
        if (!searchOnce(*main, run))
            return false;
    print("first search (opens the results):", runs.front());
    runs.erase(runs.begin());
    auto median = [&runs](double Run::*field) {
        std::vector<double> values;
        for (const Run& run : runs)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    Run quiet;
    quiet.firstRowsMs = median(&Run::firstRowsMs);
    quiet.firstPaintMs = median(&Run::firstPaintMs);
    quiet.totalMs = median(&Run::totalMs);
    quiet.stallMs = median(&Run::stallMs);
    quiet.rows = runs.front().rows;
    print("later searches (medians):", quiet);
    for (const char* pattern : kPatterns)
        if (!timeRegex(*main, pattern, path, arguments.count()))
            return false;

    // Opened again: the search starts while the new tree's check runs.
    main->openFile(path);
    Run busy;
    if (!searchOnce(*main, busy))
        return false;
    print("while the whole-file check runs:", busy);
    EventWait::until(checkDone, 120000);
    return timeFilter(*main);
}

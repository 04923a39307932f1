#include "ClaimFormBenchmark.h"

#include "GuiBenchSession.h"
#include "core/filetree/FileTree.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[at];
}

// Counts the paint events of the form's controls, to make sure every timed
// click really ended with the form painted.
class PaintCounter : public QObject {
public:
    int count = 0;
    void watch(QWidget* form) {
        if (watched_ == form)
            return;
        watched_ = form;
        for (QWidget* child : form->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }

private:
    QPointer<QWidget> watched_;
};

} // namespace

bool ClaimFormBenchmark::run(const BenchArguments& arguments) {
    GuiBenchSession session(arguments.mapsDir());
    AppContext& context = session.context();
    // The whole-file check waits, unread, until the file closes: only the
    // clicks are timed.
    context.seams().pause = [](WorkSeams::Job job, const WorkSeams::Stopped& stopped) {
        while (job == WorkSeams::Job::Check && !stopped())
            QThread::msleep(5);
    };
    frmMain mainWindow(context);
    mainWindow.show();
    // Large enough for the form at its first-run place to be in sight.
    QApplication::processEvents();
    mainWindow.resize(1200, 900);
    mainWindow.openFile(arguments.file());
    ClaimDocument* opened = context.document();
    if (!opened) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(arguments.file()));
        return false;
    }

    QElapsedTimer timer;
    timer.start();
    if (!opened->buildTree()) {
        std::fprintf(stderr, "no tree of %s\n", qPrintable(arguments.file()));
        return false;
    }
    const qm::FileTree& tree = *opened->tree();
    const double buildSeconds = double(timer.nsecsElapsed()) / 1e9;

    std::vector<std::int64_t> claims;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) == "CA0")
            claims.push_back(node);
    }
    if (claims.empty()) {
        std::fprintf(stderr, "%s holds no claim\n", qPrintable(arguments.file()));
        return false;
    }

    DocumentViews views(*mainWindow.documents());
    views.follow(opened);
    auto form = [&views] {
        return views.find<frmClaimForm>(QStringLiteral("frmClaimForm"));
    };
    PaintCounter paints;
    int unpainted = 0;
    // From the click until the form's controls have painted (or a second passed).
    auto clickAndShow = [&](std::int64_t node) {
        const int paintsBefore = paints.count;
        timer.restart();
        opened->clickNode(node);
        if (paints.count == paintsBefore && form())
            paints.watch(form());
        while (paints.count == paintsBefore && timer.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (paints.count == paintsBefore)
            ++unpainted;
        return ms;
    };
    // The first click also makes the form; it is reported on its own.
    const double firstMs = clickAndShow(claims.front());

    const int clicks = std::max(1, std::min<int>(arguments.count(), int(claims.size())));
    std::vector<double> times;
    for (int i = 0; i < clicks; ++i) {
        const std::size_t at =
            clicks == 1 ? 0 : std::size_t(double(i) * double(claims.size() - 1) / (clicks - 1));
        times.push_back(clickAndShow(claims[at]));
    }

    std::printf("file: %s\n", qPrintable(arguments.file()));
    std::printf("claims in the tree: %zu (tree built in %.1f s, not timed below)\n", claims.size(),
                buildSeconds);
    std::printf("first click (makes the form): %.2f ms\n", firstMs);
    std::printf("claim click to form shown, %d claims spread through the file:\n", clicks);
    std::printf("  median %.2f ms, 90th percentile %.2f ms, max %.2f ms, min %.2f ms\n",
                percentile(times, 0.5), percentile(times, 0.9), percentile(times, 1.0),
                percentile(times, 0.0));
    std::printf("  target: median at most 50 ms\n");
    if (unpainted > 0)
        std::printf("  warning: %d clicks saw no repaint of the form within a second\n", unpainted);
    return true;
}

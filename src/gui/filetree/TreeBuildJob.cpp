#include "gui/filetree/TreeBuildJob.h"

#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "gui/common/MessageBoxes.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <chrono>
#include <future>
#include <new>

namespace {

using namespace std::chrono_literals;

// Builds that end sooner show no dialog.
constexpr auto kQuietTime = 500ms;
constexpr int kPollMilliseconds = 50;
constexpr int kSteps = 1000;

TreeBuildJob::Build& buildForTests() {
    static TreeBuildJob::Build build;
    return build;
}

using Result = std::future<std::optional<qm::FileTree>>;

bool isReady(const Result& result) {
    return result.wait_for(0s) == std::future_status::ready;
}

// Shows the progress until the build ends or the user cancels it and the
// build has stopped.
void showProgress(qm::TreeBuildControl& control, const Result& result, QWidget* parent) {
    QProgressDialog dialog(QStringLiteral("Building the file tree..."), QStringLiteral("Cancel"), 0,
                           kSteps, parent);
    dialog.setObjectName(QStringLiteral("frmTreeProgress"));
    dialog.setWindowTitle(QStringLiteral("NSF File Tree"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);

    QEventLoop loop;
    auto cancel = [&] {
        // The build looks for the flag at least once a megabyte: a short wait.
        control.cancel = true;
        result.wait();
        loop.quit();
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
    // Escape hides the dialog without a cancel signal.
    QObject::connect(&dialog, &QDialog::rejected, &loop, cancel);

    auto update = [&] {
        const qint64 total = control.bytesTotal.load();
        const qint64 done = qMin(control.bytesDone.load(), total);
        dialog.setValue(total > 0 ? int(done * kSteps / total) : 0);
    };
    QTimer poll;
    poll.setInterval(kPollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (isReady(result))
            loop.quit();
        else
            update();
    });
    update();
    dialog.show();
    poll.start();
    loop.exec();
    // The loop also ends when the application quits: the build stops then too.
    if (!isReady(result))
        control.cancel = true;
}

} // namespace

std::optional<qm::FileTree> TreeBuildJob::run(qm::SequentialFile& file, QWidget* parent) {
    qm::TreeBuildControl control;
    Build build = buildForTests();
    if (!build)
        build = [](qm::SequentialFile& f, qm::TreeBuildControl& c) {
            return qm::BuildTree(f, c);
        };
    // The worker reads the very file the user opened through a reader of its own.
    qm::SequentialFile reader;
    qm::SequentialFile& source = reader.openSame(file) ? reader : file;
    Result result = std::async(std::launch::async, [&] { return build(source, control); });
    if (result.wait_for(kQuietTime) != std::future_status::ready)
        showProgress(control, result, parent);
    try {
        return result.get();
    } catch (const std::bad_alloc&) {
        MessageBoxes::showMessage(
            parent, QStringLiteral("There is not enough memory to build the tree of this file."),
            QStringLiteral("NSF File Tree"), qm::MessageIcon::Critical);
        return std::nullopt;
    }
}

void TreeBuildJob::setBuildForTests(Build build) {
    buildForTests() = std::move(build);
}

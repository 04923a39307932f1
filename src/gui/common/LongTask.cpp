#include "gui/common/LongTask.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

namespace {
constexpr int kPollMilliseconds = 50;
constexpr int kSteps = 1000;
} // namespace

void LongTask::showProgress(const Dialog& design, qm::ProgressControl& control, QWidget* parent,
                            const std::function<bool()>& done) {
    QProgressDialog dialog(design.label, QStringLiteral("Cancel"), 0, kSteps, parent);
    dialog.setObjectName(design.objectName);
    dialog.setWindowTitle(design.title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);

    QEventLoop loop;
    auto cancel = [&] {
        // The work looks for the flag often: a short wait.
        control.cancel = true;
        while (!done())
            QThread::msleep(5);
        loop.quit();
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
    // Escape hides the dialog without a cancel signal.
    QObject::connect(&dialog, &QDialog::rejected, &loop, cancel);

    auto update = [&] {
        const qint64 total = control.bytesTotal.load();
        const qint64 reached = qMin(control.bytesDone.load(), total);
        dialog.setValue(total > 0 ? int(reached * kSteps / total) : 0);
    };
    QTimer poll;
    poll.setInterval(kPollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
        else
            update();
    });
    update();
    dialog.show();
    poll.start();
    loop.exec();
    // The loop also ends when the application quits: the work stops then too.
    if (!done())
        control.cancel = true;
}

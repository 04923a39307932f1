#include "gui/common/BackgroundWork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

namespace {

std::atomic<int> alive{0};

// How often the GUI thread reads how far the work has come.
constexpr int kProgressPollMs = 50;
// How long the GUI thread takes batches in one turn of the event loop.
constexpr qint64 kTakeMs = 15;
// Steps of the progress dialog's bar.
constexpr int kDialogSteps = 1000;
} // namespace

BackgroundWorkBase::BackgroundWorkBase(QObject* parent)
    : QObject(parent) {
    takeTimer_ = new QTimer(this);
    takeTimer_->setInterval(0);
    connect(takeTimer_, &QTimer::timeout, this, &BackgroundWorkBase::takeForAWhile);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressPollMs);
    connect(progressTimer_, &QTimer::timeout, this, &BackgroundWorkBase::pollProgress);
}

BackgroundWorkBase::~BackgroundWorkBase() {
    // A worker stops soon once cancelled: it looks at the flag between claims.
    if (control_)
        control_->cancel = true;
    joinWorkers();
}

int BackgroundWorkBase::workersAlive() {
    return alive.load();
}

void BackgroundWorkBase::startWorker(std::function<void()> body) {
    // Those of earlier runs that have ended are joined now, the others later.
    for (auto worker = workers_.begin(); worker != workers_.end();) {
        if (worker->ended->load()) {
            worker->thread.join();
            --alive;
            worker = workers_.erase(worker);
        } else {
            ++worker;
        }
    }
    auto ended = std::make_shared<std::atomic<bool>>(false);
    ++alive;
    workers_.push_back({std::thread([body = std::move(body), ended] {
                            body();
                            ended->store(true);
                        }),
                        ended});
}

void BackgroundWorkBase::joinWorkers() {
    for (Worker& worker : workers_) {
        worker.thread.join();
        --alive;
    }
    workers_.clear();
}

void BackgroundWorkBase::beginRun(QFutureWatcherBase* watcher) {
    control_ = std::make_shared<qm::ProgressControl>();
    watcher_ = watcher;
    running_ = true;
    workerDone_ = false;
    cancelled_ = false;
    percent_ = 0;
    connect(watcher, &QFutureWatcherBase::finished, this, &BackgroundWorkBase::workerEnded);
    progressTimer_->start();
}

void BackgroundWorkBase::cancelWork() {
    if (!running_ || cancelled_)
        return;
    cancelled_ = true;
    control_->cancel = true;
    takeTimer_->stop();
    dropWaiting();
}

void BackgroundWorkBase::waitForFinished() {
    if (watcher_)
        watcher_->waitForFinished();
}

void BackgroundWorkBase::scheduleTaking() {
    if (running_ && !cancelled_ && !takeTimer_->isActive())
        takeTimer_->start();
}

void BackgroundWorkBase::takeForAWhile() {
    QElapsedTimer clock;
    clock.start();
    bool more = true;
    while (more && clock.elapsed() < kTakeMs && !cancelled_)
        more = takeSlice();
    if (!more || cancelled_) {
        takeTimer_->stop();
        endIfDone();
    }
}

void BackgroundWorkBase::pollProgress() {
    if (!control_)
        return;
    const qint64 total = control_->bytesTotal.load();
    const qint64 done = qMin(control_->bytesDone.load(), total);
    const int percent = total > 0 ? int(done * 100 / total) : 0;
    if (percent == percent_)
        return;
    percent_ = percent;
    emit workProgressed(percent);
}

void BackgroundWorkBase::workerEnded() {
    if (!running_ || workerDone_)
        return;
    workerDone_ = true;
    progressTimer_->stop();
    keepSummary();
    if (!cancelled_ && percent_ != 100) {
        percent_ = 100;
        emit workProgressed(percent_);
    }
    // What it handed on last is taken before the end is told.
    if (!cancelled_ && takeSlice()) {
        takeTimer_->start();
        return;
    }
    endIfDone();
}

void BackgroundWorkBase::endIfDone() {
    if (!running_ || !workerDone_)
        return;
    running_ = false;
    emit workEnded();
}

bool BackgroundWorkBase::waitShowingProgress(const Dialog& design, QWidget* parent) {
    if (running_) {
        // A short wait shows nothing, and takes no input meanwhile.
        QEventLoop quiet;
        connect(this, &BackgroundWorkBase::workEnded, &quiet, &QEventLoop::quit);
        QTimer::singleShot(kQuietTimeMs, &quiet, &QEventLoop::quit);
        quiet.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (running_) {
        QProgressDialog dialog(design.label, QStringLiteral("Cancel"), 0, kDialogSteps, parent);
        dialog.setObjectName(design.objectName);
        dialog.setWindowTitle(design.title);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setMinimumDuration(0);
        dialog.setAutoReset(false);
        dialog.setAutoClose(false);
        QEventLoop loop;
        connect(this, &BackgroundWorkBase::workEnded, &loop, &QEventLoop::quit);
        // Escape hides the dialog without a cancel signal.
        connect(&dialog, &QProgressDialog::canceled, this, &BackgroundWorkBase::cancelWork);
        connect(&dialog, &QDialog::rejected, this, &BackgroundWorkBase::cancelWork);
        auto update = [this, &dialog] {
            const qint64 total = control_->bytesTotal.load();
            const qint64 reached = qMin(control_->bytesDone.load(), total);
            dialog.setValue(total > 0 ? int(reached * kDialogSteps / total) : 0);
        };
        QTimer poll;
        poll.setInterval(kProgressPollMs);
        connect(&poll, &QTimer::timeout, &dialog, update);
        update();
        dialog.show();
        poll.start();
        loop.exec();
        // The loop also ends when the application quits: the work stops then too.
        if (running_)
            cancelWork();
    }
    return !cancelled_;
}

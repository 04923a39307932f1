#include "gui/document/ResultsFeed.h"

#include <QAbstractItemModel>
#include <algorithm>

ResultsFeed::ResultsFeed(const QString& name, QAbstractItemModel* rows, QObject* parent)
    : QObject(parent)
    , rows_(rows) {
    setObjectName(name);
    rows_->setParent(this);
}

ResultsFeed::~ResultsFeed() {
    stopAndJoin();
}

bool ResultsFeed::isRunning() const {
    return job_ && job_->isRunning();
}

int ResultsFeed::percent() const {
    return job_ ? job_->percent() : 0;
}

void ResultsFeed::cancelRun() {
    if (job_)
        job_->cancelWork();
}

void ResultsFeed::stopAndJoin() {
    for (const QPointer<BackgroundWorkBase>& job : dropped_)
        if (job)
            job->joinWorkers();
    dropped_.clear();
    if (job_) {
        job_->cancelWork();
        job_->joinWorkers();
    }
}

void ResultsFeed::adopt(BackgroundWorkBase* job) {
    if (job_) {
        // Nothing more of it is seen; it goes once its worker has stopped.
        BackgroundWorkBase* old = job_;
        old->disconnect(this);
        old->cancelWork();
        connect(old, &BackgroundWorkBase::workEnded, old, &QObject::deleteLater);
        if (!old->isRunning())
            old->deleteLater();
        dropped_.erase(std::remove(dropped_.begin(), dropped_.end(), nullptr), dropped_.end());
        dropped_.push_back(old);
    }
    job_ = job;
    connect(job, &BackgroundWorkBase::workProgressed, this, &ResultsFeed::runProgressed);
}

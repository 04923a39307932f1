#pragma once

#include "gui/document/ResultsJob.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemModel;

// A stream of rows the document finds in the background at the user's
// asking: a field search, a comparison (and, on a later day, a claim list).
// It keeps the rows found so far in a model of the feature's own, runs the
// job that finds them (a ResultsJob) and says how far it has come and what
// came of it. The document owns its feeds: closing the window that shows the
// rows stops nothing, the next run replaces them, and the document cancels
// the run and waits for it as the file closes.
//
// A feature makes a feed of its own kind (SearchFeed, CompareFeed), adds it
// to the document once (ClaimDocument::addFeed) under the feed's name, and
// its results window binds to it.
class ResultsFeed : public QObject {
    Q_OBJECT
public:
    // rows becomes the feed's.
    ResultsFeed(const QString& name, QAbstractItemModel* rows, QObject* parent = nullptr);
    ~ResultsFeed() override;

    QAbstractItemModel* rows() const { return rows_; }
    bool isRunning() const;
    // How far the run has come through the files, 0 to 100.
    int percent() const;
    // Stops the run; what it found so far stays, and runEnded() follows.
    void cancelRun();
    // Cancels the run and waits for its workers (and those of runs before).
    void stopAndJoin();

    // What the feed says of its run for the status line of whatever shows it:
    // how far it has come, then what came of it; empty before the first run.
    virtual QString statusText() const = 0;
    // The claim files the feed holds besides the open one (no export may
    // replace them while it does).
    virtual std::vector<std::string> heldFiles() const { return {}; }

signals:
    void runStarted();
    void runProgressed(int percent);
    // Ended: finished, cancelled or failed; statusText() says which.
    void runEnded();

protected:
    // Starts a run (one running is dropped: nothing more of it is seen). The
    // rows reach `into` on the GUI thread; `ended` gets the summary once the
    // run has ended, before runEnded().
    template <typename Row, typename Summary>
    void startRun(WorkSeams::Job kind, std::shared_ptr<const WorkSeams> seams,
                  typename ResultsJob<Row, Summary>::Work work,
                  std::function<void(std::vector<Row>&& rows)> into,
                  std::function<void(const Summary& summary)> ended) {
        auto* job = new ResultsJob<Row, Summary>(kind, std::move(seams), std::move(into), this);
        adopt(job);
        connect(job, &BackgroundWorkBase::workEnded, this, [this, job, ended = std::move(ended)] {
            if (job_ != job)
                return;
            ended(job->ending());
            emit runEnded();
        });
        job->run(std::move(work));
        emit runStarted();
    }

private:
    // Makes job the running one: the one before is cancelled and dropped, its
    // worker joined once it has ended.
    void adopt(BackgroundWorkBase* job);

    QAbstractItemModel* rows_;
    QPointer<BackgroundWorkBase> job_;
    std::vector<QPointer<BackgroundWorkBase>> dropped_;
};

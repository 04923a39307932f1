#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The longest the event loop went without handling a 10 ms timer: how long
// the windows stood frozen.
class StallWatch : public QObject {
public:
    StallWatch();
    void start();
    // The longest gap so far, less the timer's own 10 ms, in milliseconds.
    double stop();

private:
    QTimer timer_;
    QElapsedTimer clock_;
    double longestMs_ = 0;
};

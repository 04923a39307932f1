#include "StallWatch.h"

#include <algorithm>

StallWatch::StallWatch() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
        longestMs_ = std::max(longestMs_, double(clock_.nsecsElapsed()) / 1e6);
        clock_.restart();
    });
}

void StallWatch::start() {
    longestMs_ = 0;
    clock_.start();
    timer_.start();
}

double StallWatch::stop() {
    timer_.stop();
    return std::max(0.0, std::max(longestMs_, double(clock_.nsecsElapsed()) / 1e6) - 10);
}

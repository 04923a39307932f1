#include "EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

bool EventWait::until(const std::function<bool()>& done, int ms) {
    QElapsedTimer guard;
    guard.start();
    while (!done() && guard.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

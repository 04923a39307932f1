#pragma once

#include <functional>

// Runs the event loop until something is done or a guard time has passed:
// how the GUI benchmarks wait for paints, checks, searches and sorts.
class EventWait {
public:
    // True when `done` came true within `ms` milliseconds.
    static bool until(const std::function<bool()>& done, int ms);
};

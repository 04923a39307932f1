#pragma once

#include <string>
#include <vector>

// Runs a program without a shell, its standard output sent to /dev/null.
class ChildProcess {
public:
    // The exit status, or -1 when it could not be started or did not exit normally.
    // cpuSeconds, when given, receives the child's user plus system time.
    static int run(const std::vector<std::string>& argv, double* cpuSeconds = nullptr);
    // The median wall time of runs runs, after one warm-up run.
    static double medianSeconds(const std::vector<std::string>& argv, int runs);
};

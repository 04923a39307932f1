#pragma once

#include <string>
#include <vector>

// Runs a program without a shell, its standard output sent to /dev/null.
class ChildProcess {
public:
    // Wall and CPU (user plus system) seconds over several runs.
    struct Times {
        double medianWall = 0;
        double minWall = 0;
        double medianCpu = 0;
        double minCpu = 0;
    };
    // A program's times beside those of `wc -l` over the same file (or of
    // another program), run in turn so that both meet the same load, and the
    // load average after them.
    struct AgainstWc {
        Times program;
        Times wc; // or the other program's
        double load = 0;
    };

    // The exit status, or -1 when it could not be started or did not exit normally.
    // cpuSeconds, when given, receives the child's user plus system time.
    static int run(const std::vector<std::string>& argv, double* cpuSeconds = nullptr);
    // The median wall time of runs runs, after one warm-up run.
    static double medianSeconds(const std::vector<std::string>& argv, int runs);
    // argv and `wc -l file` runs times each, after one warm-up run of each.
    static AgainstWc againstWc(const std::vector<std::string>& argv, const std::string& file,
                               int runs);
    // argv and other in turn, runs times each, after one warm-up run of each.
    static AgainstWc against(const std::vector<std::string>& argv,
                             const std::vector<std::string>& other, int runs);
    // One line: medians and minimums, each against wc -l's, the CPU times and
    // the load; target (when above 0) is the ratio the median should keep to.
    static void print(const std::string& label, const AgainstWc& times, double target = 0);
    // The same against another program, named otherLabel.
    static void print(const std::string& label, const AgainstWc& times,
                      const std::string& otherLabel, double target);
};

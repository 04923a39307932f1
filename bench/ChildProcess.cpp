#include "ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int ChildProcess::run(const std::vector<std::string>& argv, double* cpuSeconds) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status))
        return -1;
    if (cpuSeconds)
        *cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WEXITSTATUS(status);
}

double ChildProcess::medianSeconds(const std::vector<std::string>& argv, int runs) {
    run(argv);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run(argv);
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

namespace {

ChildProcess::Times timesOf(std::vector<double> wall, std::vector<double> cpu) {
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2], cpu.front()};
}

double loadAverage() {
    double load = -1;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = -1;
        std::fclose(f);
    }
    return load;
}

} // namespace

ChildProcess::AgainstWc ChildProcess::againstWc(const std::vector<std::string>& argv,
                                                const std::string& file, int runs) {
    return against(argv, {"wc", "-l", file}, runs);
}

ChildProcess::AgainstWc ChildProcess::against(const std::vector<std::string>& argv,
                                              const std::vector<std::string>& other, int runs) {
    run(other);
    run(argv);
    std::vector<double> wall[2], cpu[2];
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            double seconds = 0;
            const auto start = std::chrono::steady_clock::now();
            if (run(which ? argv : other, &seconds) < 0)
                std::fprintf(stderr, "%s did not run\n", (which ? argv : other).front().c_str());
            wall[which].push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            cpu[which].push_back(seconds);
        }
    }
    return {timesOf(wall[1], cpu[1]), timesOf(wall[0], cpu[0]), loadAverage()};
}

void ChildProcess::print(const std::string& label, const AgainstWc& t, double target) {
    print(label, t, "wc -l", target);
}

void ChildProcess::print(const std::string& label, const AgainstWc& t,
                         const std::string& otherLabel, double target) {
    const Times& p = t.program;
    const Times& o = t.wc;
    const char* other = otherLabel.c_str();
    std::printf("%s: median %.3f s (%.2fx %s", label.c_str(), p.medianWall,
                p.medianWall / o.medianWall, other);
    if (target > 0)
        std::printf(", target <= %g", target);
    std::printf("), min %.3f s (%.2fx); cpu median %.3f s (%.2fx), min %.3f s (%.2fx); %s "
                "median %.3f s, min %.3f s, cpu %.3f s; load %.1f\n",
                p.minWall, p.minWall / o.minWall, p.medianCpu, p.medianCpu / o.medianCpu, p.minCpu,
                p.minCpu / o.minCpu, other, o.medianWall, o.minWall, o.medianCpu, t.load);
}

#include "CheckBenchmark.h"

#include "ChildProcess.h"
#include "ProcessMemory.h"

#include <cstdio>

CheckBenchmark::CheckBenchmark(std::string cli, std::string file, std::string mapsDir, int runs)
    : cli_(std::move(cli))
    , file_(std::move(file))
    , mapsDir_(std::move(mapsDir))
    , runs_(runs) {
}

void CheckBenchmark::run() const {
    const double wc = ChildProcess::medianSeconds({"wc", "-l", file_}, runs_);
    auto check = [&](std::vector<std::string> options) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_};
        command.insert(command.end(), options.begin(), options.end());
        command.push_back("check");
        command.push_back(file_);
        return command;
    };
    const double one = ChildProcess::medianSeconds(check({"--jobs", "1"}), runs_);
    const double two = ChildProcess::medianSeconds(check({"--jobs", "2"}), runs_);
    const double json = ChildProcess::medianSeconds(check({"--json", "--jobs", "1"}), runs_);
    std::printf("check: wc -l %.3f s; check --jobs 1 %.3f s (%.2fx wc -l, target <= 8); "
                "--jobs 2 %.3f s (%.2fx, target <= 5); --json --jobs 1 %.3f s (%.2fx the "
                "text form, target <= 1.5)\n",
                wc, one, one / wc, two, two / wc, json, json / one);
    for (const char* jobs : {"1", "2"}) {
        const auto peak = ProcessMemory::peakResidentKiB(check({"--json", "--jobs", jobs}));
        if (peak)
            std::printf("check: peak resident memory with --json --jobs %s: %.1f MiB (target <= "
                        "100 MB)\n",
                        jobs, *peak / 1024.0);
    }
}

#include "CliBenchmark.h"

#include "ChildProcess.h"
#include "ProcessMemory.h"

#include <cstdio>
#include <vector>

CliBenchmark::CliBenchmark(std::string cli, std::string file, std::string mapsDir, int runs)
    : cli_(std::move(cli))
    , file_(std::move(file))
    , mapsDir_(std::move(mapsDir))
    , runs_(runs) {
}

void CliBenchmark::check() const {
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

void CliBenchmark::search() const {
    const double wc = ChildProcess::medianSeconds({"wc", "-l", file_}, runs_);
    auto search = [&](std::vector<std::string> arguments) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_, "--jobs", "2", "search", file_};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return ChildProcess::medianSeconds(command, runs_);
    };
    const char* const kNowhere = "ZZ0000000000";
    const double oneField = search({kNowhere, "--field", "CA0 03.0"});
    const double everyField = search({kNowhere});
    const double manyHits = search({"GALLOWAY"});
    const double pattern = search({"^ZZ[0-9]+$", "--regex"});
    const double numbers = search({"--number", "--", "<-1"});
    std::printf("search: wc -l %.3f s; --jobs 2: one field %.3f s (%.2fx wc -l, target <= 5); "
                "every field %.3f s (%.2fx, target <= 10)\n",
                wc, oneField, oneField / wc, everyField, everyField / wc);
    std::printf("search: every field --jobs 2, a name in many claims %.3f s (%.2fx), a pattern "
                "%.3f s (%.2fx), a number comparison %.3f s (%.2fx)\n",
                manyHits, manyHits / wc, pattern, pattern / wc, numbers, numbers / wc);
    const double names = search({"(?i)smith|jones", "--regex"});
    const double codes = search({"^[A-Z]+[0-9]{3}$", "--regex"});
    std::printf("search: every field --jobs 2, regular expressions: (?i)smith|jones %.3f s (%.2fx "
                "wc -l, target <= 3), ^[A-Z]+[0-9]{3}$ %.3f s (%.2fx, target <= 3)\n",
                names, names / wc, codes, codes / wc);
}

void CliBenchmark::searchMemory() const {
    for (const char* jobs : {"2", "8"}) {
        for (const bool json : {false, true}) {
            std::vector<std::string> command{cli_, "--maps", mapsDir_, "--jobs", jobs};
            if (json)
                command.push_back("--json");
            for (const char* argument : {"search", file_.c_str(), "--exact", ""})
                command.push_back(argument);
            const auto peak = ProcessMemory::peakResidentKiB(command);
            if (peak)
                std::printf("search: peak resident memory of --exact '' (every blank value "
                            "matches) with --jobs %s%s: %.1f MiB (bounded: no more with more "
                            "matches)\n",
                            jobs, json ? " --json" : "", *peak / 1024.0);
        }
    }
}

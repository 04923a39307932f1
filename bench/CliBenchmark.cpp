#include "CliBenchmark.h"

#include "ChildProcess.h"
#include "ProcessMemory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>
#include <vector>

CliBenchmark::CliBenchmark(std::string cli, std::string file, std::string mapsDir, int runs)
    : cli_(std::move(cli))
    , file_(std::move(file))
    , mapsDir_(std::move(mapsDir))
    , runs_(runs) {
}

void CliBenchmark::tree() const {
    std::vector<std::string> commands[2];
    for (const bool json : {false, true}) {
        std::vector<std::string>& command = commands[json];
        command = {cli_, "--maps", mapsDir_};
        if (json)
            command.push_back("--json");
        command.push_back("tree");
        command.push_back(file_);
        ChildProcess::print(json ? "tree --json" : "tree",
                            ChildProcess::againstWc(command, file_, runs_), json ? 0 : 3);
    }
    // The JSON against the text, in turn: at most 1.5 times.
    ChildProcess::print("tree --json", ChildProcess::against(commands[1], commands[0], runs_),
                        "tree", 1.5);
}

void CliBenchmark::check() const {
    auto check = [&](std::vector<std::string> options) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_};
        command.insert(command.end(), options.begin(), options.end());
        command.push_back("check");
        command.push_back(file_);
        return command;
    };
    // Every way of asking, each against wc -l; two jobs at most 4 times wc -l,
    // and only what has a problem no slower than everything.
    const std::vector<std::vector<std::string>> ways = {
        {"--jobs", "1"},
        {"--jobs", "2"},
        {"--json", "--jobs", "1"},
        {"--json", "--jobs", "2"},
        {"--problems-only", "--jobs", "2"},
        {"--problems-only", "--json", "--jobs", "2"}};
    for (const std::vector<std::string>& way : ways) {
        std::string name = "check";
        for (const std::string& word : way)
            name += " " + word;
        ChildProcess::print(name, ChildProcess::againstWc(check(way), file_, runs_),
                            way.size() == 2 && way[1] == "2" ? 4 : 0);
        const auto peak = ProcessMemory::peakResidentKiB(check(way));
        std::printf("%s: peak resident memory %.1f MiB\n", name.c_str(),
                    peak ? *peak / 1024.0 : -1.0);
    }
    // The JSON against the text report, in turn: at most 1.5 times.
    ChildProcess::print(
        "check --json --jobs 2",
        ChildProcess::against(check({"--json", "--jobs", "2"}), check({"--jobs", "2"}), runs_),
        "check --jobs 2", 1.5);
}

void CliBenchmark::summary() const {
    // Only what has a problem: the pass with next to nothing to write, as
    // the summary writes next to nothing.
    const std::vector<std::string> check{cli_, "--maps",          mapsDir_, "--jobs",
                                         "2",  "--problems-only", "check",  file_};
    const std::vector<std::string> summary{cli_, "--maps",  mapsDir_, "--jobs",
                                           "2",  "summary", file_};
    const double checked = ChildProcess::medianSeconds(check, runs_);
    const double summed = ChildProcess::medianSeconds(summary, runs_);
    const auto checkPeak = ProcessMemory::peakResidentKiB(check);
    const auto summaryPeak = ProcessMemory::peakResidentKiB(summary);
    std::printf("summary --jobs 2: %.3f s against check --problems-only --jobs 2 %.3f s: the "
                "statistics add %.1f %% (target <= 15 %%); peak resident memory %.1f MiB against "
                "%.1f MiB\n",
                summed, checked, (summed / checked - 1) * 100,
                summaryPeak ? *summaryPeak / 1024.0 : -1.0, checkPeak ? *checkPeak / 1024.0 : -1.0);
}

namespace {

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

void CliBenchmark::rules() const {
    // The three checks and wc -l in turn, run after run, so that all four
    // meet the same load: without rules, with the integrity edits, and with
    // them and the fifty rules of bench/payer-50.rules.
    struct Way {
        const char* name;
        std::vector<std::string> command;
        std::vector<double> wall, cpu;
    };
    std::vector<Way> ways = {
        {"without rules (--no-integrity)", {"--no-integrity"}, {}, {}},
        {"with the integrity edits", {}, {}, {}},
        {"with the integrity edits and 50 rules", {"--rules", QUILLMARK_BENCH_RULES}, {}, {}},
        {"wc -l", {}, {}, {}}};
    for (Way& way : ways) {
        std::vector<std::string> options = way.command;
        way.command = {cli_, "--maps", mapsDir_, "--jobs", "2", "--problems-only", "check", file_};
        way.command.insert(way.command.end(), options.begin(), options.end());
    }
    ways.back().command = {"wc", "-l", file_};
    for (int i = -1; i < runs_; ++i) {
        for (Way& way : ways) {
            double cpu = 0;
            const auto start = std::chrono::steady_clock::now();
            ChildProcess::run(way.command, &cpu);
            if (i < 0)
                continue; // a warm-up run of each
            way.wall.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            way.cpu.push_back(cpu);
        }
    }
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double wc = median(ways.back().wall), wcCpu = median(ways.back().cpu);
    const double without = median(ways.front().wall), withoutCpu = median(ways.front().cpu);
    std::printf("wc -l: %.3f s, cpu %.3f s (median of %d, in turn with the checks below)\n", wc,
                wcCpu, runs_);
    for (std::size_t w = 0; w + 1 < ways.size(); ++w) {
        const double wall = median(ways[w].wall), cpu = median(ways[w].cpu);
        const auto peak = ProcessMemory::peakResidentKiB(ways[w].command);
        std::printf("check --problems-only --jobs 2 %s: %.3f s, %.2fx the check without rules "
                    "(target <= 1.5), %.2fx wc -l; cpu %.3f s, %.2fx; peak resident memory "
                    "%.1f MiB\n",
                    ways[w].name, wall, wall / without, wall / wc, cpu, cpu / withoutCpu,
                    peak ? *peak / 1024.0 : -1.0);
    }
    std::printf("load average %.2f\n", loadAverage());
}

void CliBenchmark::list() const {
    // The filter of the question "which March claims over $500 ...": it
    // reads the stated total and the service dates, and the check's pass
    // runs for the claims' problems all the same.
    const std::vector<std::vector<std::string>> ways = {
        {"--filter", "XA0.12.0 > 500.00 && FA0.05.0 in 2003-03"}, {"--filter", "problem"}, {}};
    for (const std::vector<std::string>& way : ways) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_, "--jobs", "2", "list", file_};
        command.insert(command.end(), way.begin(), way.end());
        const std::string name =
            way.empty() ? std::string("list --jobs 2") : "list --jobs 2 --filter '" + way[1] + "'";
        ChildProcess::print(name, ChildProcess::againstWc(command, file_, runs_),
                            way == ways.front() ? 3 : 0);
        const auto peak = ProcessMemory::peakResidentKiB(command);
        std::printf("%s: peak resident memory %.1f MiB\n", name.c_str(),
                    peak ? *peak / 1024.0 : -1.0);
    }
}

void CliBenchmark::search() const {
    auto search = [&](const std::string& name, std::vector<std::string> arguments,
                      double target = 0) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_, "--jobs", "2", "search", file_};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess::print("search --jobs 2, " + name,
                            ChildProcess::againstWc(command, file_, runs_), target);
    };
    // A value found nowhere, as a support question about one control number is.
    const char* const kNowhere = "ZZ0000000000";
    search("one field", {kNowhere, "--field", "CA0 03.0"}, 5);
    search("every field", {kNowhere}, 3);
    search("every field, a name in many claims", {"GALLOWAY"});
    search("every field, a pattern", {"^ZZ[0-9]+$", "--regex"});
    search("every field, a number comparison", {"--number", "--", "<-1"});
    search("every field, (?i)smith|jones", {"(?i)smith|jones", "--regex"}, 3);
    search("every field, ^[A-Z]+[0-9]{3}$", {"^[A-Z]+[0-9]{3}$", "--regex"}, 3);
    // Amounts as people type them, compared in cents: one money field, and
    // every money field (above what any holds, so that printing hits is not timed).
    search("money, one field", {"--number", "--field", "XA0 12.0", "--", ">1,000,000.00"}, 5);
    search("every money field", {"--number", "--", ">$1,000,000,000.00"});
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

void CliBenchmark::diff(const std::string& other) const {
    const double wc = ChildProcess::medianSeconds({"wc", "-l", file_, other}, runs_);
    std::printf("diff: wc -l over both files %.3f s (the same run)\n", wc);
    const std::vector<std::vector<std::string>> ways = {{}, {"--json"}, {"--match", "position"}};
    for (const std::vector<std::string>& way : ways) {
        std::vector<std::string> command{cli_, "--maps", mapsDir_};
        command.insert(command.end(), way.begin(), way.end());
        command.insert(command.end(), {"diff", file_, other});
        std::string name = "diff";
        for (const std::string& word : way)
            name += " " + word;
        double cpu = 0;
        ChildProcess::run(command, &cpu);
        const double seconds = ChildProcess::medianSeconds(command, runs_);
        const auto peak = ProcessMemory::peakResidentKiB(command);
        std::printf("%s: %.3f s (%.2fx wc -l, target <= 8), %.3f s of processor time, peak "
                    "resident memory %.1f MiB (target <= 200)\n",
                    name.c_str(), seconds, seconds / wc, cpu, peak ? *peak / 1024.0 : -1.0);
    }
}

void CliBenchmark::pdf() const {
    const std::string out = "/tmp/quillmark-bench-" + std::to_string(getpid()) + ".pdf";
    for (const char* pages : {"1000", "10"}) {
        const std::vector<std::string> command{
            cli_,    "--maps", mapsDir_,  "--jobs", "2",           "check", file_,
            "--pdf", out,      "--paper", "a4",     "--max-pages", pages};
        const double seconds = ChildProcess::medianSeconds(command, 1);
        const auto peak = ProcessMemory::peakResidentKiB(command);
        std::FILE* written = std::fopen(out.c_str(), "rb");
        long bytes = -1;
        if (written && std::fseek(written, 0, SEEK_END) == 0)
            bytes = std::ftell(written);
        if (written)
            std::fclose(written);
        std::printf("check --pdf --max-pages %s: %.3f s, %.1f MiB of PDF, peak resident memory "
                    "%.1f MiB (target < 100 for 1,000 pages)\n",
                    pages, seconds, bytes / 1048576.0, peak ? *peak / 1024.0 : -1.0);
    }
    std::remove(out.c_str());
}

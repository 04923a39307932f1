#include "FileBenchmark.h"

#include "ChildProcess.h"
#include "ProcessMemory.h"
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/ClaimFileOpener.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// User plus system time of this process so far.
double cpuSeconds() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double mib(long kib) {
    return kib / 1024.0;
}

} // namespace

FileBenchmark::FileBenchmark(Options options)
    : options_(std::move(options)) {
}

FileBenchmark::~FileBenchmark() = default;

bool FileBenchmark::open(std::string& error) {
    qm::RecordingMessageSink sink;
    qm::ClaimFileOpener::Opened opened = qm::ClaimFileOpener::open(
        options_.file, {options_.mapsDir}, std::make_shared<qm::LayoutCatalogue>(), sink);
    if (!opened.result.opened()) {
        error = options_.file + ": not opened";
        for (const qm::Message& message : sink.messages)
            error += "; " + message.text;
        return false;
    }
    file_ = std::move(opened.file);
    return true;
}

void FileBenchmark::treeMemory() {
    const long before = ProcessMemory::residentKiB();
    double seconds = secondsOf([&] {
        file_->setTree(std::make_shared<const qm::FileTree>(qm::BuildTree(file_->reader())));
    });
    tree_ = file_->tree().get();
    const long after = ProcessMemory::residentKiB();
    std::printf("file: %s\n", options_.file.c_str());
    std::printf("tree: %lld nodes, %lld batches, %lld claims (first build %.3f s)\n",
                static_cast<long long>(tree_->size()), static_cast<long long>(tree_->BatchCount),
                static_cast<long long>(tree_->ClaimCount), seconds);
    std::printf("memory: VmRSS before BuildTree %.1f MiB, after %.1f MiB, tree %.1f MiB "
                "(target <= 100 MiB for 1 GB)\n",
                mib(before), mib(after), mib(after - before));
    const double nodes = double(std::max<std::int64_t>(tree_->size(), 1));
    std::printf("memory: %.1f bytes a node by VmRSS, %.1f held by the tree (target <= 40)\n",
                double(after - before) * 1024 / nodes, double(tree_->memoryBytes()) / nodes);
}

void FileBenchmark::scanAgainstWc() {
    // Wall time and CPU time (user + system) of each run: on a machine shared
    // with other work the CPU times are the steadier comparison.
    const std::vector<std::string> wc{"wc", "-l", options_.file};
    double wcCpu = 0, buildCpu = 0;
    auto runWc = [&] {
        if (ChildProcess::run(wc, &wcCpu) != 0)
            std::fprintf(stderr, "wc -l failed\n");
    };
    auto runBuild = [&] {
        const double start = cpuSeconds();
        qm::SequentialFile file;
        if (file.open(options_.file))
            qm::BuildTree(file);
        buildCpu = cpuSeconds() - start;
    };
    // Warm the page cache and both code paths before anything is timed.
    runWc();
    runBuild();
    std::vector<double> wcWall, buildWall, wcCpus, buildCpus;
    for (int i = 0; i < options_.runs; ++i) {
        wcWall.push_back(secondsOf(runWc));
        wcCpus.push_back(wcCpu);
        buildWall.push_back(secondsOf(runBuild));
        buildCpus.push_back(buildCpu);
    }
    const double wcMedian = median(wcWall), buildMedian = median(buildWall);
    std::printf("scan: wc -l median %.3f s, BuildTree median %.3f s (%d runs each), "
                "ratio %.2f (target <= 1.5 on the 1 GB file)\n",
                wcMedian, buildMedian, options_.runs, buildMedian / wcMedian);
    std::printf("scan cpu: wc -l median %.3f s, BuildTree median %.3f s, ratio %.2f\n",
                median(wcCpus), median(buildCpus), median(buildCpus) / median(wcCpus));
}

void FileBenchmark::clickLatency() {
    const std::int64_t claims = tree_->ClaimCount;
    const std::int64_t wanted = std::min<std::int64_t>(options_.clicks, claims);
    if (wanted <= 0) {
        std::printf("clicks: the file has no claims\n");
        return;
    }
    // Claim ordinals spread evenly from the first claim to the last.
    std::vector<std::int64_t> nodes;
    std::int64_t ordinal = 0;
    for (std::int64_t node = 0; node < tree_->size() && std::int64_t(nodes.size()) < wanted;
         ++node) {
        if (tree_->recordType(node) != "CA0")
            continue;
        const std::int64_t next =
            wanted == 1 ? 0 : std::int64_t(nodes.size()) * (claims - 1) / (wanted - 1);
        if (ordinal++ == next)
            nodes.push_back(node);
    }
    qm::NodeClick(*file_, nodes.front()); // warms the code path, untimed
    std::vector<double> times;
    bool allActed = true;
    for (std::int64_t node : nodes)
        times.push_back(secondsOf([&] { allActed &= qm::NodeClick(*file_, node).acted; }));
    const double worst = *std::max_element(times.begin(), times.end());
    std::printf("clicks: %zu claims, median %.3f ms, max %.3f ms (target median <= 20 ms)%s\n",
                times.size(), median(times) * 1e3, worst * 1e3,
                allActed ? "" : " SOME CLICKS DID NOT ACT");
}

void FileBenchmark::cliPeakMemory() {
    if (options_.cli.empty())
        return;
    for (bool json : {false, true}) {
        std::vector<std::string> command{options_.cli, "--maps", options_.mapsDir};
        if (json)
            command.push_back("--json");
        command.push_back("tree");
        command.push_back(options_.file);
        const auto peak = ProcessMemory::peakResidentKiB(command);
        const char* label = json ? "quillmark-cli --json tree" : "quillmark-cli tree";
        if (peak)
            std::printf("cli: %s FILE > /dev/null: peak RSS %.1f MiB\n", label, mib(*peak));
        else
            std::printf("cli: %s: not measured (/usr/bin/time missing or the run failed)\n", label);
    }
}

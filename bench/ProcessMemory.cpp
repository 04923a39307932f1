#include "ProcessMemory.h"

#include "ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

long statusKiB(const char* label) {
    std::ifstream status("/proc/self/status");
    const std::size_t length = std::strlen(label);
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, length, label) == 0)
            return std::strtol(line.c_str() + length, nullptr, 10);
    return -1;
}

} // namespace

long ProcessMemory::residentKiB() {
    return statusKiB("VmRSS:");
}

long ProcessMemory::highWaterKiB() {
    return statusKiB("VmHWM:");
}

std::optional<long> ProcessMemory::peakResidentKiB(const std::vector<std::string>& command) {
    const char* time = "/usr/bin/time";
    if (access(time, X_OK) != 0)
        return std::nullopt;
    char report[] = "/tmp/quillmark-bench-time-XXXXXX";
    const int fd = mkstemp(report);
    if (fd < 0)
        return std::nullopt;
    close(fd);
    std::vector<std::string> argv{time, "-v", "-o", report};
    argv.insert(argv.end(), command.begin(), command.end());
    const int status = ChildProcess::run(argv);
    std::optional<long> peak;
    std::ifstream in(report);
    std::string line;
    const std::string label = "Maximum resident set size (kbytes):";
    while (std::getline(in, line)) {
        const auto at = line.find(label);
        if (at != std::string::npos)
            peak = std::strtol(line.c_str() + at + label.size(), nullptr, 10);
    }
    unlink(report);
    // A verdict (1: problems or differences, 3: not all checked) is a run
    // like any other; 2 is an error, a negative status a crash.
    if (status < 0 || status == 2)
        return std::nullopt;
    return peak;
}

#pragma once

#include <optional>
#include <string>
#include <vector>

// Memory figures of this process and of child processes, from /proc and /usr/bin/time.
class ProcessMemory {
public:
    // VmRSS of this process in KiB, or -1 when /proc is not there.
    static long residentKiB();
    // The most VmRSS this process has had so far (VmHWM), in KiB, or -1.
    static long highWaterKiB();
    // Peak resident set size in KiB of a command run under `/usr/bin/time -v`,
    // its standard output discarded; nullopt when time is missing or the run failed.
    static std::optional<long> peakResidentKiB(const std::vector<std::string>& command);
};

#pragma once

#include <string>

// The whole-file check of the command-line tool against `wc -l` over the same
// file: one job, two jobs, JSON, and the check's peak memory.
class CheckBenchmark {
public:
    CheckBenchmark(std::string cli, std::string file, std::string mapsDir, int runs);
    void run() const;

private:
    std::string cli_;
    std::string file_;
    std::string mapsDir_;
    int runs_;
};

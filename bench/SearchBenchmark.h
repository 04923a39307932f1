#pragma once

#include <string>

// The field search of the command-line tool against `wc -l` over the same
// file, with two jobs: one field of every claim, and every field, for a value
// found nowhere (as a support question about one control number is), for a
// name found in many claims, for a pattern and for a number comparison.
class SearchBenchmark {
public:
    SearchBenchmark(std::string cli, std::string file, std::string mapsDir, int runs);
    void run() const;

private:
    std::string cli_;
    std::string file_;
    std::string mapsDir_;
    int runs_;
};

#pragma once

#include <string>
#include <vector>

// Every JSON report of the command-line tool against `wc -l` over the same
// file and against the same report as text, each run in turn with the
// other: medians and minimums of wall and CPU times, and the load.
class JsonBenchmark {
public:
    // other: a changed copy of file for diff, or empty to leave diff out.
    JsonBenchmark(std::string cli, std::string file, std::string other, std::string mapsDir,
                  int runs);
    void run() const;

private:
    // One report, as JSON against wc -l and against the text (target: the
    // ratio the JSON should keep to the text, 0 for none).
    void compare(const std::string& name, const std::vector<std::string>& arguments,
                 double target) const;
    // Keys of claims spread through the file, for `claim` of many keys.
    std::vector<std::string> claimKeys(int count) const;

    std::string cli_;
    std::string file_;
    std::string other_;
    std::string mapsDir_;
    int runs_;
};

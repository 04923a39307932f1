#include "JsonBenchmark.h"

#include "ChildProcess.h"

#include <cstdio>
#include <cstring>

JsonBenchmark::JsonBenchmark(std::string cli, std::string file, std::string other,
                             std::string mapsDir, int runs)
    : cli_(std::move(cli))
    , file_(std::move(file))
    , other_(std::move(other))
    , mapsDir_(std::move(mapsDir))
    , runs_(runs) {
}

void JsonBenchmark::compare(const std::string& name, const std::vector<std::string>& arguments,
                            double target) const {
    std::vector<std::string> text{cli_, "--maps", mapsDir_};
    text.insert(text.end(), arguments.begin(), arguments.end());
    std::vector<std::string> json = text;
    json.insert(json.begin() + 3, "--json");
    ChildProcess::print(name + " --json", ChildProcess::againstWc(json, file_, runs_));
    ChildProcess::print(name + " --json", ChildProcess::against(json, text, runs_), name, target);
}

std::vector<std::string> JsonBenchmark::claimKeys(int count) const {
    std::vector<std::string> keys;
    std::FILE* f = std::fopen(file_.c_str(), "rb");
    if (!f)
        return keys;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::vector<char> block(1 << 16);
    for (int i = 0; i < count; ++i) {
        // The first claim record that starts after a point through the file.
        const long from = size / count * i;
        if (std::fseek(f, from, SEEK_SET) != 0)
            break;
        const std::size_t got = std::fread(block.data(), 1, block.size(), f);
        for (std::size_t at = 0; at + 4 <= got; ++at) {
            if (block[at] == '\n' && std::memcmp(&block[at + 1], "CA0", 3) == 0) {
                keys.push_back("CA0" + std::to_string(from + long(at) + 2));
                break;
            }
        }
    }
    std::fclose(f);
    return keys;
}

void JsonBenchmark::run() const {
    compare("tree", {"tree", file_}, 1.5);
    compare("check --jobs 2", {"--jobs", "2", "check", file_}, 1.5);
    compare("check --problems-only --jobs 2", {"--jobs", "2", "--problems-only", "check", file_},
            1.5);
    std::vector<std::string> claim{"claim", file_};
    const std::vector<std::string> keys = claimKeys(1000);
    claim.insert(claim.end(), keys.begin(), keys.end());
    compare("claim of " + std::to_string(keys.size()) + " keys", claim, 1.5);
    compare("search --jobs 2, a name in many claims", {"--jobs", "2", "search", file_, "GALLOWAY"},
            1.5);
    compare("summary --jobs 2", {"--jobs", "2", "summary", file_}, 1.5);
    compare("list --jobs 2", {"--jobs", "2", "list", file_}, 1.5);
    if (!other_.empty())
        compare("diff", {"diff", file_, other_}, 1.5);
}

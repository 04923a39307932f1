#pragma once

#include "core/filetree/FileTree.h"

#include <memory>
#include <string>

namespace qm {
class OpenClaimFile;
}

// The speed and memory figures of one claim file, printed as plain lines.
class FileBenchmark {
public:
    struct Options {
        std::string file;
        std::string mapsDir = ".";
        std::string cli; // quillmark-cli to measure; empty: skip that step
        int clicks = 200;
        int runs = 3;
    };

    explicit FileBenchmark(Options options);
    ~FileBenchmark();

    // Opens the file and loads its map as the viewer does; false with a reason.
    bool open(std::string& error);

    // VmRSS before and after building the tree; the tree is kept for the clicks.
    void treeMemory();
    // `wc -l` against BuildTree over the same file, each warmed once, medians of the runs.
    void scanAgainstWc();
    // NodeClick latency over claims spread evenly through the file.
    void clickLatency();
    // Peak RSS of `quillmark-cli tree FILE` and `tree --json`, output discarded.
    void cliPeakMemory();

private:
    Options options_;
    std::shared_ptr<qm::OpenClaimFile> file_;
    const qm::FileTree* tree_ = nullptr; // the file's, once built
};

#pragma once

#include "core/common/RecordingMessageSink.h"
#include "core/layouts/Module1.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// What every fuzz target shares: one Module1 for the whole run (as the program
// has), a private folder with the real map files, and a way to put the
// fuzzer's bytes into a file there.
class FuzzWorkspace {
public:
    static FuzzWorkspace& instance();

    // Writes bytes to name in the workspace folder and returns the full path.
    std::string write(const std::string& name, const std::uint8_t* data, std::size_t size);
    // Opens path as File > Open does; returns DetectFileVersion's result.
    bool open(const std::string& path);

    std::unique_ptr<qm::Module1> m;
    qm::RecordingMessageSink sink;
    std::string folder;

private:
    FuzzWorkspace();
};

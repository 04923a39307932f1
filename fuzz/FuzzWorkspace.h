#pragma once

#include "core/common/RecordingMessageSink.h"
#include "core/openfile/OpenClaimFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// What every fuzz target shares: the layouts loaded last (as the viewer keeps
// them from one open to the next), a private folder with the real map files,
// and a way to put the fuzzer's bytes into a file there.
class FuzzWorkspace {
public:
    static FuzzWorkspace& instance();

    // Writes bytes to name in the workspace folder and returns the full path.
    std::string write(const std::string& name, const std::uint8_t* data, std::size_t size);
    // Opens path as File > Open does; true when it opened.
    bool open(const std::string& path);

    std::shared_ptr<const qm::LayoutCatalogue> layouts = std::make_shared<qm::LayoutCatalogue>();
    std::shared_ptr<qm::OpenClaimFile> file; // the file open last, or null
    qm::RecordingMessageSink sink;
    std::string folder;

private:
    FuzzWorkspace();
};

#include "FuzzWorkspace.h"

#include "core/openfile/ClaimFileOpener.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

void copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
}

} // namespace

FuzzWorkspace& FuzzWorkspace::instance() {
    static FuzzWorkspace workspace;
    return workspace;
}

FuzzWorkspace::FuzzWorkspace() {
    char pattern[] = "/tmp/quillmark-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made)
        std::abort();
    folder = made;
    copyFile(std::string(MAPS_DIR) + "/nsf0301.map", folder + "/nsf0301.map");
    copyFile(std::string(MAPS_DIR) + "/nsf0200.map", folder + "/nsf0200.map");
}

std::string FuzzWorkspace::write(const std::string& name, const std::uint8_t* data,
                                 std::size_t size) {
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

bool FuzzWorkspace::open(const std::string& path) {
    file.reset();
    sink.messages.clear();
    qm::ClaimFileOpener::Opened opened = qm::ClaimFileOpener::open(path, {folder}, layouts, sink);
    layouts = std::move(opened.layouts);
    file = std::move(opened.file);
    return file != nullptr;
}

#include "core/layouts/MapSearchPath.h"

#include "core/layouts/KnownVersions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// True when path lies inside folder (both absolute, as the build writes them).
bool isInside(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() < folder.size() ||
        path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

// "/usr/bin/../share" as "/usr/share": the same folder, as a user would write it.
std::string withoutDotDot(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string result = path.rfind('/', 0) == 0 ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i)
        result += (i ? "/" : "") + parts[i];
    return result;
}

} // namespace

std::vector<std::string> MapSearchPath::folders(const Places& places) {
    std::vector<std::string> result;
    auto add = [&result](const std::string& folder) {
        if (!folder.empty() && std::find(result.begin(), result.end(), folder) == result.end())
            result.push_back(folder);
    };
    add(places.commandLine);
    if (!result.empty())
        return result;
    add(places.environment);
    add(places.startFolder);
    if (!places.executableFolder.empty()) {
        // Relative to the program, so that an installed tree can be moved whole.
        add(withoutDotDot(places.executableFolder + "/" + QUILLMARK_DATA_MAPS_FROM_BIN));
        if (isInside(places.executableFolder, QUILLMARK_BUILD_DIR))
            add(QUILLMARK_SOURCE_MAPS_DIR);
    }
    return result;
}

std::string MapSearchPath::folderProblem(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return errno == ENOENT ? "no such folder" : std::strerror(errno);
    return S_ISDIR(st.st_mode) ? std::string() : "not a folder";
}

std::vector<std::string> MapSearchPath::forThisProcess(const std::string& commandLine,
                                                       const std::string& startFolder) {
    const char* environment = std::getenv("QUILLMARK_MAPS");
    return folders({commandLine, environment ? environment : "", startFolder, executableFolder()});
}

std::string MapSearchPath::executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    const std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string MapSearchPath::currentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::string MapSearchPath::folderInUse(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        for (const KnownVersion& version : kKnownVersions)
            if (isRegularFile(folder + "/" + std::string(version.mapFile)))
                return folder;
    return {};
}

std::vector<std::string> MapSearchPath::formatFiles(const std::vector<std::string>& folders) {
    std::vector<std::string> found;
    for (const KnownVersion& version : kKnownVersions) {
        for (const std::string& folder : folders) {
            if (!isRegularFile(folder + "/" + std::string(version.mapFile)))
                continue;
            const std::string format = folder + "/" + std::string(version.formatFile);
            if (isRegularFile(format))
                found.push_back(format);
            break;
        }
    }
    return found;
}

} // namespace qm

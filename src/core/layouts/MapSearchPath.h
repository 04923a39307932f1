#pragma once

#include <string>
#include <vector>

namespace qm {

// The folders map files are looked for in, in order, and the folder in use.
class MapSearchPath {
public:
    struct Places {
        std::string commandLine;      // --maps DIR, or empty
        std::string environment;      // QUILLMARK_MAPS, or empty
        std::string startFolder;      // the folder current at start-up
        std::string executableFolder; // the running program's folder, or empty
    };

    // The --maps folder alone, when given: the user named the maps to use,
    // and a map missing there must be said, not taken from elsewhere.
    // Otherwise QUILLMARK_MAPS, the start-up folder, the installed data
    // folder beside the executable (<prefix>/share/quillmark/maps), and the
    // source tree's maps/ for a program run from its build folder. Empty
    // places and repeats are left out.
    static std::vector<std::string> folders(const Places& places);

    // Why folder cannot be a --maps folder ("no such folder", "not a
    // folder", or the system's reason), or empty when it can.
    static std::string folderProblem(const std::string& folder);

    // folders() for this process: QUILLMARK_MAPS from its environment and its
    // own folder, with the --maps folder and start-up folder given.
    static std::vector<std::string> forThisProcess(const std::string& commandLine,
                                                   const std::string& startFolder);

    // The folder of the running program (empty when it cannot be told).
    static std::string executableFolder();
    // The current folder ("." when it cannot be told).
    static std::string currentFolder();

    // The first folder holding a known map file, or empty when none does.
    static std::string folderInUse(const std::vector<std::string>& folders);
    // The format files that would be read: for each known version whose map
    // is found in folders, the format file beside it, when there is one.
    static std::vector<std::string> formatFiles(const std::vector<std::string>& folders);
};

} // namespace qm

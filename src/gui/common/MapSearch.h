#pragma once

#include <QString>
#include <string>
#include <vector>

// This run's map search as the windows and the command line show it: the
// folders map files are looked for in, and the one in use.
class MapSearch {
public:
    // The folder current at start-up, as the core takes paths.
    static std::string startFolder();
    // The folders of a run started in the current folder, with the --maps
    // folder mapsDir (empty when not given) looked in first.
    static std::vector<std::string> forStart(const QString& mapsDir);

    // "Maps: " and the first of folders that holds a map file, without "..",
    // or "Maps: none found".
    static QString line(const std::vector<std::string>& folders);
    // "Formats: " and the format files found beside those maps (by name when
    // in the folder in use), or "Formats: none found".
    static QString formatsLine(const std::vector<std::string>& folders);
};

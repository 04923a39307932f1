#pragma once

#include "core/io/FileTable.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordStore.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

// What is program-wide: the open claim file, its path, where map files are,
// the layouts loaded last (read-only; a new load replaces them) and what the
// claim clicks have read. One object, so that every test can start from a
// fresh one.
struct Module1 {
    std::shared_ptr<const LayoutCatalogue> RecordLayouts = std::make_shared<LayoutCatalogue>();
    FileTable Files;
    int FileNumber = 0;    // handle of the open claim file; 0 before the first open
    std::string FileName;  // path chosen in the last File > Open
    std::string MapFolder; // folder current at start-up, where map files are looked for
    // Every folder looked in for map files, in order (MapFolder among them);
    // when empty, MapFolder alone.
    std::vector<std::string> MapFolders;
    RecordStore Store;

    std::vector<std::string> mapSearch() const {
        return MapFolders.empty() ? std::vector<std::string>{MapFolder} : MapFolders;
    }
    // The open claim file, or nullptr.
    SequentialFile* openFile() { return Files.get(FileNumber); }
};

} // namespace qm

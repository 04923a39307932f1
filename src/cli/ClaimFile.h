#pragma once

#include "core/filetree/FileTree.h"
#include "core/layouts/ClaimFileOpener.h"
#include "core/layouts/Module1.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::cli {

// The claim file of one run, opened as the viewer's File > Open opens it, with
// the program-wide values every later click works on, and its file tree.
class ClaimFile {
public:
    // Opens path, finds its AA0 record and loads the map of its version,
    // looking in mapsDir first. False when the file cannot be read, has no AA0
    // record or its map failed; messages() then says why.
    bool open(const std::string& path, const std::string& mapsDir);

    // Lines for standard error: the opener's messages ("Title: text") and,
    // after a successful open, notes worth knowing (a version without a map,
    // the map's doubtful fields).
    const std::vector<std::string>& messages() const { return messages_; }

    const std::string& path() const { return module_.FileName; }
    const OpenResult& result() const { return result_; }
    Module1& module() { return module_; }
    SequentialFile& file() { return *module_.openFile(); }
    // The file tree, built on first use by one pass over the file.
    const FileTree& tree();

private:
    Module1 module_;
    OpenResult result_;
    std::vector<std::string> messages_;
    std::optional<FileTree> tree_;
};

} // namespace qm::cli

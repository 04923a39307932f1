#pragma once

#include "core/common/Message.h"

#include <string>
#include <vector>

namespace qm {

// Every message the engine and both front ends show about claim and map
// files, in one table. Texts are UTF-8; bytes from a file are decoded by the
// file text rule before they go in.
class MessageTexts {
public:
    // "This is not an NSF file. Can not locate the AA0 record!"
    static Message notAnNsfFile();
    // The map file was not found in any folder; names every path tried (a
    // separator doubled where a folder ends in one shown once) and, last,
    // mapFolderHint().
    static Message mapFileNotFound(const std::string& mapFileName,
                                   const std::vector<std::string>& pathsTried);
    // How to point both programs at the folder of the map files.
    static std::string mapFolderHint();
    // lastKey: "TYPE ID" of the definition stored last, as read from the map (bytes).
    static Message mapFileUnreadable(const std::string& mapFileName, const std::string& lastKey);
    // Any other failure of a map load, with its own description.
    static Message mapLoadFailed(const std::string& description);
    // "XA0 Record totals do not compute!"
    static Message totalsDoNotCompute();
    // The claim file could not be opened for reading; path in the file system's bytes.
    static Message unableToOpenFile(const std::string& path, const std::string& reason);
    // After an open: the file has LF line ends only.
    static Message lfOnlyLineEnds();
    // Before an open: whether to read a file of LF line ends with LF as the
    // line end (Yes / No, No the usual reading).
    static Message readLfAsLineEnd();
    // A node click while no claim file is open.
};

} // namespace qm

#pragma once

#include "core/common/MessageSink.h"
#include "core/layouts/LayoutCatalogue.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

// Reads mapFileName, from the first of folders that holds it, into a new
// catalogue. True when the whole file was read. layouts always receives the
// catalogue as loaded: on a failure, the definitions stored before it (none
// when the file could not be opened), after the failure's message went to
// sink (a missing file names every path tried). A map read whole keeps in the
// catalogue's warnings each field number it defines twice and each field that
// overlaps another. formatFileName, when given, names the format file read
// from the map's own folder into a map read whole (see FormatFile); one that
// is missing leaves every value shown as stored; one that is damaged does the
// same, with a warning.
bool LoadMapFile(const std::vector<std::string>& folders, const std::string& mapFileName,
                 MessageSink& sink, std::shared_ptr<const LayoutCatalogue>& layouts,
                 const std::string& formatFileName = std::string());

} // namespace qm

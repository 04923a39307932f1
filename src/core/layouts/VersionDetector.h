#pragma once

#include "core/common/MessageSink.h"
#include "core/common/ProgressControl.h"
#include "core/layouts/LayoutCatalogue.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

class SequentialFile;

// What version detection found in a claim file.
struct VersionDetection {
    enum class Result { Found, NoHeader, MapFailed, Cancelled };
    Result result = Result::NoHeader;
    std::string code;       // columns 244 to 248 of the first AA0 record, as read
    bool mapLoaded = false; // the code named a map and a load was made
};

// Finds the first AA0 record of the file (from its first byte), reads its
// version code and, for a known code, loads the matching map from folders
// into layouts (replaced by the catalogue as loaded, even a partial one after
// a failure; untouched for an unknown code). The read position is left after
// the AA0 record. control, when given, follows the search for the header
// (how far into the file it has come) and can cancel it, even inside a line
// of gigabytes.
VersionDetection DetectFileVersion(SequentialFile& file, const std::vector<std::string>& folders,
                                   MessageSink& sink,
                                   std::shared_ptr<const LayoutCatalogue>& layouts,
                                   ProgressControl* control = nullptr);

} // namespace qm

#pragma once

#include "core/common/MessageSink.h"

#include <string>

namespace qm {

struct Module1;

// Finds the first AA0 record of the open file fileNumber, reads its version code
// (columns 244 to 248) and loads the matching map. False when there is no AA0
// record or the map failed (its message already shown). versionCode, when
// given, receives the code as read (empty without an AA0 record).
bool DetectFileVersion(Module1& m, int fileNumber, MessageSink& sink,
                       std::string* versionCode = nullptr);

} // namespace qm

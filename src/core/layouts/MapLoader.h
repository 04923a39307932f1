#pragma once

#include "core/common/MessageSink.h"

#include <string>

namespace qm {

struct Module1;

// Reads MapFolder + separator + mapFileName into the catalogue. Returns false
// after showing the failure's message through sink; the catalogue then keeps
// what was stored before the failure.
bool LoadMapFile(Module1& m, const std::string& mapFileName, MessageSink& sink);

} // namespace qm

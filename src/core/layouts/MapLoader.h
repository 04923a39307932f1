#pragma once

#include "core/common/MessageSink.h"

#include <string>

namespace qm {

struct Module1;

// Reads mapFileName, from the first map folder that holds it, into the
// catalogue. Returns false after showing the failure's message through sink
// (a missing file names every path tried); the catalogue then keeps what was
// stored before the failure.
bool LoadMapFile(Module1& m, const std::string& mapFileName, MessageSink& sink);

} // namespace qm

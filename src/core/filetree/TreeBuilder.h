#pragma once

#include "core/filetree/FileTree.h"

namespace qm {

class SequentialFile;

// Reads the whole file once from its first byte and builds its tree of AA0,
// BA0 and CA0 records, with the batch and claim counts and the trailer index.
// The read position is left at the end of the file.
FileTree BuildTree(SequentialFile& file);

} // namespace qm

#pragma once

#include "core/common/ProgressControl.h"
#include "core/filetree/FileTree.h"

#include <optional>

namespace qm {

class SequentialFile;

// Reads the whole file once from its first byte and builds its tree of AA0,
// BA0 and CA0 records, with the batch and claim counts and the trailer index.
// The read position is left at the end of the file.
FileTree BuildTree(SequentialFile& file);

// The same for a build on another thread: reports the bytes read so far in
// control, and gives nullopt when control.cancel was set before the end.
std::optional<FileTree> BuildTree(SequentialFile& file, ProgressControl& control);

} // namespace qm

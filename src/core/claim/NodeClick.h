#pragma once

#include "core/claim/AssembledClaim.h"

#include <cstdint>

namespace qm {

class FileTree;
class RecordStore;
class SequentialFile;
struct Module1;

// A click on file tree node `node`: reads its records from the claim file
// into the record store and returns them as the claim form shows them; for a
// claim also the verdict on its totals. Shows nothing: the caller shows the
// totals message when the totals do not compute.
AssembledClaim NodeClick(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                         RecordStore& store, const FileTree& tree, std::int64_t node);

// The same on the program's open file, layouts and store; noFileOpen when no
// claim file is open.
AssembledClaim NodeClick(Module1& m, const FileTree& tree, std::int64_t node);

} // namespace qm

#pragma once

#include "core/claim/AssembledClaim.h"

#include <cstdint>

namespace qm {

class FileTree;
class OpenClaimFile;
class SequentialFile;

// A click on file tree node `node`: reads its records from the claim file
// and returns them as the claim form shows them; for a claim also the
// verdict on its totals. Every click reads afresh into a store of its own.
// Shows nothing: the caller shows the totals message when the totals do not
// compute.
AssembledClaim NodeClick(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                         const FileTree& tree, std::int64_t node);

// The same on an open file, its layouts and its tree; nothing acts while the
// file has no tree.
AssembledClaim NodeClick(OpenClaimFile& file, std::int64_t node);

} // namespace qm

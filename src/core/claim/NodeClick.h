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

// A click on a batch or the file header that also reads the trailer a
// problem of it is about: the YA0 at trailerPosition shown under the batch's
// BA0, or the ZA0 there under the file header's AA0 (it could not be read
// when that line is no longer one). On any other node, the click alone.
AssembledClaim NodeClick(OpenClaimFile& file, std::int64_t node, std::int64_t trailerPosition);

} // namespace qm

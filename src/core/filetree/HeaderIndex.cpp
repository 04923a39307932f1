#include "core/filetree/HeaderIndex.h"

#include "core/filetree/FileTree.h"
#include "core/io/SequentialFile.h"

namespace qm {

HeaderIndex::HeaderIndex(const FileTree& tree)
    : trailers_(tree.trailers)
    , claims_(tree.ClaimCount) {
    // The two ascending lists merged, so that the claims are never visited.
    const std::vector<std::int64_t>& files = tree.headerNodes();
    const std::vector<std::int64_t>& batches = tree.batchNodes();
    headers_.reserve(files.size() + batches.size());
    auto file = files.begin();
    auto batch = batches.begin();
    while (file != files.end() || batch != batches.end()) {
        const bool isFile = batch == batches.end() || (file != files.end() && *file < *batch);
        const std::int64_t node = isFile ? *file++ : *batch++;
        headers_.push_back({tree.position(node), isFile ? 'A' : 'B'});
    }
}

bool HeaderIndex::describes(const SequentialFile& file) const {
    return trailers_.describes(file);
}

} // namespace qm

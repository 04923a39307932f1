#include "core/check/HeaderIndex.h"

#include "core/filetree/FileTree.h"
#include "core/io/SequentialFile.h"

namespace qm {

HeaderIndex::HeaderIndex(const FileTree& tree)
    : trailers_(tree.trailers) {
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        const std::string_view type = tree.recordType(node);
        if (type != "CA0")
            headers_.push_back({tree.position(node), type[0]});
    }
}

bool HeaderIndex::describes(const SequentialFile& file) const {
    return trailers_.complete && !trailers_.fileIdentity.empty() &&
           trailers_.fileIdentity == file.identity();
}

} // namespace qm

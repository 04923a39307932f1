// Claim files of any shape: version detection, then the tree of the whole file.
#include "FuzzWorkspace.h"
#include "core/filetree/TreeBuilder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzWorkspace& ws = FuzzWorkspace::instance();
    const std::string path = ws.write("fuzz.nsf", data, size);
    if (!ws.open(path))
        return 0;
    const qm::FileTree tree = qm::BuildTree(ws.file->reader());
    // Every node has a parent before it and sits where its parent lists it.
    std::int64_t listed = tree.childCount(qm::FileTree::kNoNode);
    for (std::int64_t i = 0; i < tree.size(); ++i) {
        const std::int64_t p = tree.parent(i);
        if (p >= i || tree.child(p, tree.rowInParent(i)) != i)
            std::abort();
        if (tree.findKey(tree.key(i)) != i)
            std::abort();
        listed += tree.childCount(i);
    }
    if (listed != tree.size() || tree.BatchCount + tree.ClaimCount > tree.size())
        std::abort();
    return 0;
}

#pragma once

#include "core/filetree/NodeText.h"

#include <cstdint>

namespace qm {

// Where nodes met in file order hang, by the rule of FileTree::parent(): a
// claim under the last batch before it, a batch under the last file header
// before it; a file header is a root, and so is a node with nothing before
// it to hang under. A walk through a tree, or through a file for its tree,
// asks for each node in turn instead of looking its parent up.
class NodeParents {
public:
    struct Place {
        std::int64_t parent = -1; // the parent's id; -1 for a root
        NodeText::Shape parentShape = NodeText::kHeader;
        int depth = 0; // how many ancestors the node has
    };

    // The place of the next node in file order: its shape, and the id (0 or
    // more) the caller knows it by.
    Place meet(NodeText::Shape shape, std::int64_t id) {
        switch (shape) {
        case NodeText::kHeader:
            header_ = id;
            return Place();
        case NodeText::kClaim:
            return batch_;
        default: {
            Place place;
            if (header_ >= 0)
                place = {header_, NodeText::kHeader, 1};
            // The place of its claims.
            batch_ = {id, shape, place.depth + 1};
            return place;
        }
        }
    }

private:
    std::int64_t header_ = -1; // the last file header
    Place batch_;              // where a claim hangs: under the last batch
};

} // namespace qm

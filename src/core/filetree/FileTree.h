#pragma once

#include "filetree/TrailerIndex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The file tree of a claim file: file headers, batches and claims in file
// order. Nodes are numbered 0..size()-1 here; the tree control's 1-based node
// index is that number plus one. Texts are kept in one pool so that a tree of
// millions of nodes stays small.
class FileTree {
public:
    static constexpr std::int64_t kNoNode = -1;

    std::int64_t size() const { return static_cast<std::int64_t>(nodes_.size()); }
    bool empty() const { return nodes_.empty(); }

    // "AA0", "BA0" or "CA0".
    std::string_view recordType(std::int64_t node) const;
    std::int64_t position(std::int64_t node) const { return nodes_[idx(node)].position; }
    // Record type followed by the record position, e.g. "CA0645".
    std::string key(std::int64_t node) const;
    std::string_view text(std::int64_t node) const;
    std::int64_t parent(std::int64_t node) const { return nodes_[idx(node)].parent; }

    // Children of a node, or of the invisible top (kNoNode) for the roots.
    std::int64_t childCount(std::int64_t node) const;
    std::int64_t child(std::int64_t node, std::int64_t row) const;
    std::int64_t rowInParent(std::int64_t node) const { return nodes_[idx(node)].row; }

    // The node whose key this is, or nullopt.
    std::optional<std::int64_t> findKey(std::string_view key) const;

    std::int64_t BatchCount = 0;
    std::int64_t ClaimCount = 0;
    // The node added last (it is scrolled into view), or kNoNode.
    std::int64_t lastAdded() const { return size() - 1; }

    TrailerIndex trailers;

    // Building.
    void clear();
    std::int64_t addNode(char typeLetter, std::int64_t position, std::int64_t parent,
                         std::string_view text);
    // Called once after the last addNode: lays out the child lists.
    void finish();

private:
    struct Node {
        std::int64_t position;
        std::int64_t parent;
        std::int64_t row; // index among its parent's children
        std::uint64_t textOffset;
        std::uint32_t textLength;
        char type; // 'A', 'B' or 'C'
    };
    static std::size_t idx(std::int64_t node) { return static_cast<std::size_t>(node); }

    std::vector<Node> nodes_;
    std::string textPool_;
    // Child lists in one array: children of node n are childList_[childStart_[n] ..
    // childStart_[n+1]); the roots come first under the slot for kNoNode.
    std::vector<std::int64_t> childStart_;
    std::vector<std::int64_t> childList_;
};

} // namespace qm

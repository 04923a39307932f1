#pragma once

#include "core/filetree/TrailerIndex.h"

#include <cstdint>
#include <memory>
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

    std::int64_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // "AA0", "BA0" or "CA0".
    std::string_view recordType(std::int64_t node) const;
    std::int64_t position(std::int64_t node) const { return at(node).position; }
    // Record type followed by the record position, e.g. "CA0645".
    std::string key(std::int64_t node) const;
    std::string_view text(std::int64_t node) const;
    std::int64_t parent(std::int64_t node) const { return at(node).parent; }

    // Children of a node, or of the invisible top (kNoNode) for the roots.
    std::int64_t childCount(std::int64_t node) const;
    std::int64_t child(std::int64_t node, std::int64_t row) const;
    std::int64_t rowInParent(std::int64_t node) const { return at(node).row; }

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
    // Nodes and texts live in fixed-size blocks: a growing tree never copies
    // what it holds, and memory follows the tree's size.
    static constexpr int kNodeBlockBits = 16;
    static constexpr std::size_t kTextBlockSize = std::size_t(1) << 20;

    const Node& at(std::int64_t node) const {
        return nodeBlocks_[static_cast<std::size_t>(node) >> kNodeBlockBits]
                          [static_cast<std::size_t>(node) & ((1u << kNodeBlockBits) - 1)];
    }
    Node& at(std::int64_t node) {
        return nodeBlocks_[static_cast<std::size_t>(node) >> kNodeBlockBits]
                          [static_cast<std::size_t>(node) & ((1u << kNodeBlockBits) - 1)];
    }

    std::int64_t count_ = 0;
    std::vector<std::unique_ptr<Node[]>> nodeBlocks_;
    std::vector<std::unique_ptr<char[]>> textBlocks_;
    std::size_t textUsed_ = kTextBlockSize; // bytes used in the last text block
    // Child lists in one array: children of node n are childList_[childStart_[n + 1] ..
    // childStart_[n + 2]); the roots come first, under the slot for kNoNode.
    std::vector<std::int64_t> childStart_;
    std::vector<std::int64_t> childList_;
};

} // namespace qm

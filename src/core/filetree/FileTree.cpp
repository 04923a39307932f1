#include "filetree/FileTree.h"

namespace qm {

std::string_view FileTree::recordType(std::int64_t node) const
{
    switch (nodes_[idx(node)].type) {
    case 'A':
        return "AA0";
    case 'B':
        return "BA0";
    default:
        return "CA0";
    }
}

std::string FileTree::key(std::int64_t node) const
{
    return std::string(recordType(node)) + std::to_string(position(node));
}

std::string_view FileTree::text(std::int64_t node) const
{
    const Node& n = nodes_[idx(node)];
    return std::string_view(textPool_).substr(n.textOffset, n.textLength);
}

std::int64_t FileTree::childCount(std::int64_t node) const
{
    if (childStart_.empty())
        return 0;
    std::size_t slot = static_cast<std::size_t>(node + 1);
    return childStart_[slot + 1] - childStart_[slot];
}

std::int64_t FileTree::child(std::int64_t node, std::int64_t row) const
{
    std::size_t slot = static_cast<std::size_t>(node + 1);
    return childList_[static_cast<std::size_t>(childStart_[slot] + row)];
}

std::optional<std::int64_t> FileTree::findKey(std::string_view key) const
{
    if (key.size() < 4)
        return std::nullopt;
    const std::string_view type = key.substr(0, 3);
    char letter = type == "AA0" ? 'A' : type == "BA0" ? 'B' : type == "CA0" ? 'C' : 0;
    if (!letter)
        return std::nullopt;
    std::int64_t pos = 0;
    for (char c : key.substr(3)) {
        if (c < '0' || c > '9' || pos > (INT64_MAX - 9) / 10)
            return std::nullopt;
        pos = pos * 10 + (c - '0');
    }
    // Nodes are in file order, so positions ascend: a binary search finds it.
    std::size_t lo = 0, hi = nodes_.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (nodes_[mid].position < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (std::size_t i = lo; i < nodes_.size() && nodes_[i].position == pos; ++i)
        if (nodes_[i].type == letter)
            return static_cast<std::int64_t>(i);
    return std::nullopt;
}

void FileTree::clear()
{
    nodes_.clear();
    textPool_.clear();
    childStart_.clear();
    childList_.clear();
    BatchCount = ClaimCount = 0;
    trailers.clear();
}

std::int64_t FileTree::addNode(char typeLetter, std::int64_t position, std::int64_t parent,
                               std::string_view text)
{
    Node n{position, parent, 0, textPool_.size(), static_cast<std::uint32_t>(text.size()),
           typeLetter};
    textPool_.append(text);
    nodes_.push_back(n);
    return size() - 1;
}

void FileTree::finish()
{
    // Counting sort of the nodes by parent keeps each child list in file order.
    const std::size_t n = nodes_.size();
    childStart_.assign(n + 2, 0);
    for (const Node& node : nodes_)
        ++childStart_[static_cast<std::size_t>(node.parent + 1) + 1];
    for (std::size_t i = 1; i < childStart_.size(); ++i)
        childStart_[i] += childStart_[i - 1];
    childList_.assign(n, 0);
    std::vector<std::int64_t> fill(childStart_.begin(), childStart_.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t slot = static_cast<std::size_t>(nodes_[i].parent + 1);
        nodes_[i].row = fill[slot] - childStart_[slot];
        childList_[static_cast<std::size_t>(fill[slot]++)] = static_cast<std::int64_t>(i);
    }
    textPool_.shrink_to_fit();
    nodes_.shrink_to_fit();
}

} // namespace qm

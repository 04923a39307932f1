#include "core/filetree/FileTree.h"

#include <algorithm>

namespace qm {

std::string_view FileTree::recordType(std::int64_t node) const {
    switch (at(node).type) {
    case 'A':
        return "AA0";
    case 'B':
        return "BA0";
    default:
        return "CA0";
    }
}

std::string FileTree::key(std::int64_t node) const {
    return std::string(recordType(node)) + std::to_string(position(node));
}

std::string_view FileTree::text(std::int64_t node) const {
    const Node& n = at(node);
    return std::string_view(textBlocks_[n.textOffset / kTextBlockSize].get() +
                                n.textOffset % kTextBlockSize,
                            n.textLength);
}

std::int64_t FileTree::childCount(std::int64_t node) const {
    if (childStart_.empty())
        return 0;
    std::size_t slot = static_cast<std::size_t>(node + 1);
    return childStart_[slot + 1] - childStart_[slot];
}

std::int64_t FileTree::child(std::int64_t node, std::int64_t row) const {
    std::size_t slot = static_cast<std::size_t>(node + 1);
    return childList_[static_cast<std::size_t>(childStart_[slot] + row)];
}

std::optional<std::int64_t> FileTree::findKey(std::string_view key) const {
    // Only the key as the tree writes it: digits without leading zeros.
    if (key.size() < 4 || (key[3] == '0' && key.size() > 4))
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
    std::int64_t lo = 0, hi = count_;
    while (lo < hi) {
        std::int64_t mid = lo + (hi - lo) / 2;
        if (at(mid).position < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (std::int64_t i = lo; i < count_ && at(i).position == pos; ++i)
        if (at(i).type == letter)
            return i;
    return std::nullopt;
}

void FileTree::clear() {
    count_ = 0;
    nodeBlocks_.clear();
    textBlocks_.clear();
    textUsed_ = kTextBlockSize;
    childStart_.clear();
    childList_.clear();
    BatchCount = ClaimCount = 0;
    trailers.clear();
}

std::int64_t FileTree::addNode(char typeLetter, std::int64_t position, std::int64_t parent,
                               std::string_view text) {
    if (text.size() > kTextBlockSize)
        text = text.substr(0, kTextBlockSize);
    if (textUsed_ + text.size() > kTextBlockSize) {
        textBlocks_.emplace_back(new char[kTextBlockSize]);
        textUsed_ = 0;
    }
    const std::uint64_t offset = (textBlocks_.size() - 1) * kTextBlockSize + textUsed_;
    std::copy(text.begin(), text.end(), textBlocks_.back().get() + textUsed_);
    textUsed_ += text.size();

    if ((static_cast<std::size_t>(count_) >> kNodeBlockBits) == nodeBlocks_.size())
        nodeBlocks_.emplace_back(new Node[std::size_t(1) << kNodeBlockBits]);
    at(count_) =
        Node{position, parent, 0, offset, static_cast<std::uint32_t>(text.size()), typeLetter};
    return count_++;
}

void FileTree::finish() {
    // Counting sort of the nodes by parent keeps each child list in file order.
    const std::size_t n = static_cast<std::size_t>(count_);
    childStart_.assign(n + 2, 0);
    for (std::int64_t i = 0; i < count_; ++i)
        ++childStart_[static_cast<std::size_t>(at(i).parent + 1) + 1];
    for (std::size_t i = 1; i < childStart_.size(); ++i)
        childStart_[i] += childStart_[i - 1];
    childList_.assign(n, 0);
    std::vector<std::int64_t> fill(childStart_.begin(), childStart_.end() - 1);
    for (std::int64_t i = 0; i < count_; ++i) {
        Node& node = at(i);
        const std::size_t slot = static_cast<std::size_t>(node.parent + 1);
        node.row = fill[slot] - childStart_[slot];
        childList_[static_cast<std::size_t>(fill[slot]++)] = i;
    }
}

} // namespace qm

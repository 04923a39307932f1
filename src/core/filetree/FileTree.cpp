#include "core/filetree/FileTree.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

namespace qm {

namespace {

std::int64_t lastBefore(const std::vector<std::int64_t>& list, std::int64_t node) {
    const auto it = std::lower_bound(list.begin(), list.end(), node);
    return it == list.begin() ? FileTree::kNoNode : *std::prev(it);
}

std::int64_t indexOf(const std::vector<std::int64_t>& list, std::int64_t node) {
    return std::lower_bound(list.begin(), list.end(), node) - list.begin();
}

} // namespace

std::string_view FileTree::recordType(std::int64_t node) const {
    return NodeText::recordType(shape(node));
}

std::int64_t FileTree::position(std::int64_t node) const {
    const auto it = std::upper_bound(
        positionHigh_.begin(), positionHigh_.end(), node,
        [](std::int64_t n, const std::pair<std::int64_t, std::int64_t>& e) { return n < e.first; });
    const std::int64_t high = it == positionHigh_.begin() ? 0 : std::prev(it)->second;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) |
                                     positionLow_[static_cast<std::size_t>(node)]);
}

std::string FileTree::key(std::int64_t node) const {
    std::string text;
    appendKey(text, node);
    return text;
}

void FileTree::appendKey(std::string& out, NodeText::Shape shape, std::int64_t position) {
    char key[kKeyRoom];
    out.append(key, writeKey(key, NodeText::recordType(shape), position));
}

constexpr bool FileTree::shapesFit() {
    for (int s = 0; s < 4; ++s) {
        const NodeText::ShapeText& words = NodeText::kShapes[s];
        int bits = 0;
        std::size_t fields = 0;
        for (int f = 0; f < words.fieldCount; ++f) {
            if (words.maxLength[f] >= (std::size_t(1) << kLengthBits[s][f]) ||
                words.maxLength[f] > kFieldCopy)
                return false;
            bits += kLengthBits[s][f];
            fields += words.maxLength[f];
        }
        if (bits > 14 || fields > kMaxFieldBytes)
            return false;
    }
    return true;
}

const char* FileTree::fieldsStart(std::int64_t node) const {
    const char* fields = groupFields(node);
    for (std::int64_t k = node & ~(kGroupSize - 1); k < node; ++k)
        fields += fieldBytes(headers_[static_cast<std::size_t>(k)]);
    return fields;
}

std::string_view FileTree::text(std::int64_t node, TextBuffer& buffer) const {
    const char* fields = fieldsStart(node);
    return compose(headers_[static_cast<std::size_t>(node)], fields, buffer);
}

std::array<std::string_view, 3> FileTree::fields(std::int64_t node) const {
    const std::uint16_t header = headers_[static_cast<std::size_t>(node)];
    const int* bits = kLengthBits[header >> 14];
    const char* at = fieldsStart(node);
    std::array<std::string_view, 3> out;
    for (int f = 0, shift = 0; f < NodeText::kShapes[header >> 14].fieldCount; shift += bits[f++]) {
        const std::size_t n = (header >> shift) & ((1u << bits[f]) - 1);
        out[static_cast<std::size_t>(f)] = std::string_view(at, n);
        at += n;
    }
    return out;
}

std::string FileTree::patientName(std::int64_t node) const {
    if (shape(node) != NodeText::kClaim)
        return {};
    const std::array<std::string_view, 3> f = fields(node);
    return NodeText::patientName(f[0], f[1]);
}

std::string_view FileTree::controlNumber(std::int64_t node) const {
    return shape(node) == NodeText::kClaim ? fields(node)[2] : std::string_view();
}

std::string FileTree::text(std::int64_t node) const {
    TextBuffer buffer;
    return std::string(text(node, buffer));
}

std::int64_t FileTree::countIn(const std::vector<std::int64_t>& list, std::int64_t from,
                               std::int64_t to) {
    return indexOf(list, to) - indexOf(list, from);
}

FileTree::Roots FileTree::roots() const {
    const std::int64_t firstBatch = batchNodes_.empty() ? count_ : batchNodes_.front();
    const std::int64_t firstHeader = headerNodes_.empty() ? count_ : headerNodes_.front();
    return Roots{firstBatch, indexOf(batchNodes_, firstHeader), indexOf(headerNodes_, firstBatch)};
}

std::int64_t FileTree::parent(std::int64_t node) const {
    switch (shape(node)) {
    case NodeText::kHeader:
        return kNoNode;
    case NodeText::kClaim:
        return lastBefore(batchNodes_, node);
    default:
        return lastBefore(headerNodes_, node);
    }
}

std::int64_t FileTree::childCount(std::int64_t node) const {
    if (node == kNoNode) {
        const Roots r = roots();
        return r.firstBatch + r.batches +
               (static_cast<std::int64_t>(headerNodes_.size()) - r.laterHeaderStart);
    }
    switch (shape(node)) {
    case NodeText::kClaim:
        return 0;
    case NodeText::kHeader: {
        // The batches up to the next file header.
        const auto next = std::upper_bound(headerNodes_.begin(), headerNodes_.end(), node);
        return countIn(batchNodes_, node + 1, next == headerNodes_.end() ? count_ : *next);
    }
    default: {
        // The claims up to the next batch, less the file headers between.
        const auto next = std::upper_bound(batchNodes_.begin(), batchNodes_.end(), node);
        const std::int64_t end = next == batchNodes_.end() ? count_ : *next;
        return end - node - 1 - countIn(headerNodes_, node + 1, end);
    }
    }
}

std::int64_t FileTree::child(std::int64_t node, std::int64_t row) const {
    if (node == kNoNode) {
        const Roots r = roots();
        if (row < r.firstBatch)
            return row;
        row -= r.firstBatch;
        if (row < r.batches)
            return batchNodes_[static_cast<std::size_t>(row)];
        return headerNodes_[static_cast<std::size_t>(r.laterHeaderStart + row - r.batches)];
    }
    if (shape(node) == NodeText::kHeader)
        return batchNodes_[static_cast<std::size_t>(indexOf(batchNodes_, node + 1) + row)];
    // A batch: the claims follow it, but a file header between them is no
    // child. Skip the headers before the row-th claim: header t (counting
    // from the first after the batch) has header[t] - node - 1 - t claims
    // before it, and that count only grows with t.
    const auto first = std::upper_bound(headerNodes_.begin(), headerNodes_.end(), node);
    auto lo = first, hi = headerNodes_.end();
    while (lo < hi) {
        const auto mid = lo + (hi - lo) / 2;
        if (*mid - node - 1 - (mid - first) > row)
            hi = mid;
        else
            lo = mid + 1;
    }
    return node + 1 + row + (lo - first);
}

std::int64_t FileTree::rowInParent(std::int64_t node) const {
    switch (shape(node)) {
    case NodeText::kClaim: {
        const std::int64_t batch = lastBefore(batchNodes_, node);
        if (batch == kNoNode)
            return node; // every node before the first batch is a root
        return node - batch - 1 - countIn(headerNodes_, batch + 1, node);
    }
    case NodeText::kHeader: {
        const Roots r = roots();
        if (node < r.firstBatch)
            return node;
        return r.firstBatch + r.batches + indexOf(headerNodes_, node) - r.laterHeaderStart;
    }
    default: {
        const std::int64_t header = lastBefore(headerNodes_, node);
        if (header == kNoNode)
            return roots().firstBatch + indexOf(batchNodes_, node);
        return indexOf(batchNodes_, node) - indexOf(batchNodes_, header + 1);
    }
    }
}

std::optional<std::int64_t> FileTree::findKey(std::string_view key) const {
    // Only the key as the tree writes it: digits without leading zeros.
    if (key.size() < 4 || (key[3] == '0' && key.size() > 4))
        return std::nullopt;
    const std::string_view type = key.substr(0, 3);
    if (type != "AA0" && type != "BA0" && type != "CA0")
        return std::nullopt;
    std::int64_t pos = 0;
    for (char c : key.substr(3)) {
        if (c < '0' || c > '9' || pos > (INT64_MAX - 9) / 10)
            return std::nullopt;
        pos = pos * 10 + (c - '0');
    }
    return findNode(type, pos);
}

std::int64_t FileTree::firstAtOrAfter(std::int64_t pos) const {
    // Nodes are in file order, so positions ascend: a binary search finds it.
    std::int64_t lo = 0, hi = count_;
    while (lo < hi) {
        std::int64_t mid = lo + (hi - lo) / 2;
        if (position(mid) < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::optional<std::int64_t> FileTree::findNode(std::string_view type, std::int64_t pos) const {
    for (std::int64_t i = firstAtOrAfter(pos); i < count_ && position(i) == pos; ++i)
        if (recordType(i) == type)
            return i;
    return std::nullopt;
}

std::int64_t FileTree::lastAtOrBefore(std::int64_t pos) const {
    return pos == INT64_MAX ? count_ - 1 : firstAtOrAfter(pos + 1) - 1;
}

std::size_t FileTree::memoryBytes() const {
    return positionLow_.memoryBytes() + headers_.memoryBytes() + groupStarts_.memoryBytes() +
           positionHigh_.capacity() * sizeof(positionHigh_[0]) + textChunks_.size() * kChunkSize +
           textChunks_.capacity() * sizeof(textChunks_[0]) +
           (headerNodes_.capacity() + batchNodes_.capacity()) * sizeof(std::int64_t);
}

void FileTree::clear() {
    count_ = 0;
    positionLow_.clear();
    positionHigh_.clear();
    headers_.clear();
    groupStarts_.clear();
    textChunks_.clear();
    chunkUsed_ = kChunkSize;
    headerNodes_.clear();
    batchNodes_.clear();
    BatchCount = ClaimCount = 0;
    trailers.clear();
}

std::int64_t FileTree::add(std::int64_t position, const NodeText::Fields& fields) {
    static_assert(shapesFit(), "every field length fits its bits and its word copy");
    if ((count_ & (kGroupSize - 1)) == 0) {
        // A group starts: its fields must fit in one chunk.
        if (chunkUsed_ + kGroupSize * kMaxFieldBytes > kChunkSize) {
            // Room after the last field for the word copies of compose().
            textChunks_.push_back(HugePageMemory::allocate(kChunkSize + kFieldCopy));
            chunkUsed_ = 0;
        }
        groupStarts_.push_back((textChunks_.size() - 1) * kChunkSize + chunkUsed_);
    }
    const NodeText::ShapeText& words = NodeText::kShapes[fields.shape];
    char* out = textChunks_.back().get() + chunkUsed_;
    auto header = static_cast<std::uint16_t>(fields.shape << 14);
    for (int f = 0, shift = 0; f < words.fieldCount; shift += kLengthBits[fields.shape][f++]) {
        const std::size_t n = std::min(fields.field[f].size(), words.maxLength[f]);
        if (n)
            std::memcpy(out, fields.field[f].data(), n);
        out += n;
        chunkUsed_ += n;
        header = static_cast<std::uint16_t>(header | (n << shift));
    }
    headers_.push_back(header);

    const auto high = static_cast<std::int64_t>(static_cast<std::uint64_t>(position) >> 32);
    if (high != (positionHigh_.empty() ? 0 : positionHigh_.back().second))
        positionHigh_.emplace_back(count_, high);
    positionLow_.push_back(static_cast<std::uint32_t>(position));

    if (fields.shape == NodeText::kHeader)
        headerNodes_.push_back(count_);
    else if (fields.shape != NodeText::kClaim)
        batchNodes_.push_back(count_);
    return count_++;
}

} // namespace qm

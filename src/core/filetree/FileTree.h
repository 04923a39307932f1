#pragma once

#include "core/common/BlockArray.h"
#include "core/common/HugePageMemory.h"
#include "core/filetree/NodeText.h"
#include "core/filetree/TrailerIndex.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// The file tree of a claim file: file headers, batches and claims in file
// order. Nodes are numbered 0..size()-1 here; the tree control's 1-based node
// index is that number plus one.
//
// Made for files of tens of millions of claims. A node keeps the low half of
// its position, a 16-bit header (the shape of its text and the lengths of its
// fields) and the trimmed record fields its text is made of; the text itself
// is put together when asked for. Parents, children and rows follow from the
// node types in file order, so nothing is stored per node for them.
class FileTree {
public:
    static constexpr std::int64_t kNoNode = -1;

private:
    // Texts are put together from whole words, not byte by byte: a field is
    // copied as kFieldCopy bytes, a separator as eight.
    static constexpr std::size_t kFieldCopy = 48;

public:
    using TextBuffer = std::array<char, NodeText::kMaxLength + kFieldCopy>;

    std::int64_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // "AA0", "BA0" or "CA0".
    std::string_view recordType(std::int64_t node) const;
    std::int64_t position(std::int64_t node) const;
    // Record type followed by the record position, e.g. "CA0645".
    std::string key(std::int64_t node) const;
    // The same at the end of out.
    void appendKey(std::string& out, std::int64_t node) const {
        appendKey(out, shape(node), position(node));
    }
    // The key of a node of this shape at this position, at the end of out.
    static void appendKey(std::string& out, NodeText::Shape shape, std::int64_t position);
    // The same written at out, which has kKeyRoom bytes, for a record type of
    // three characters; returns its end. Listings put a line together around it.
    static constexpr std::size_t kKeyRoom = 3 + 20;
    static char* writeKey(char* out, std::string_view type, std::int64_t position) {
        std::memcpy(out, type.data(), type.size());
        return std::to_chars(out + type.size(), out + kKeyRoom, position).ptr;
    }
    std::string text(std::int64_t node) const;
    // The same without allocating: the text is put together in buffer.
    std::string_view text(std::int64_t node, TextBuffer& buffer) const;
    std::int64_t parent(std::int64_t node) const;
    // The trimmed record fields a node's text is made of (see NodeText): for
    // a claim the patient's last name, first name and control number, for a
    // batch its provider; empty past those of its shape. They point into the tree.
    std::array<std::string_view, 3> fields(std::int64_t node) const;
    // A claim's patient, "LAST, FIRST" (what there is of it), and control
    // number, as file bytes; empty for a node that is no claim.
    std::string patientName(std::int64_t node) const;
    std::string_view controlNumber(std::int64_t node) const;

    // Children of a node, or of the invisible top (kNoNode) for the roots.
    std::int64_t childCount(std::int64_t node) const;
    std::int64_t child(std::int64_t node, std::int64_t row) const;
    std::int64_t rowInParent(std::int64_t node) const;

    // The file header and batch nodes, each ascending.
    const std::vector<std::int64_t>& headerNodes() const { return headerNodes_; }
    const std::vector<std::int64_t>& batchNodes() const { return batchNodes_; }

    // The node whose key this is, or nullopt.
    std::optional<std::int64_t> findKey(std::string_view key) const;
    // The same for a record type ("AA0", "BA0", "CA0") and position.
    std::optional<std::int64_t> findNode(std::string_view type, std::int64_t position) const;
    // The last node whose record begins at or before position (the node a
    // line there belongs to), or kNoNode.
    std::int64_t lastAtOrBefore(std::int64_t position) const;

    // The first node from first to last (both included, clipped to the tree)
    // whose text satisfies match(std::string_view), or kNoNode; backward, the
    // last one. Walks the texts in order, faster than asking for each.
    template <typename Match>
    std::int64_t findText(std::int64_t first, std::int64_t last, Match&& match,
                          bool backward = false) const;

    std::int64_t BatchCount = 0;
    std::int64_t ClaimCount = 0;
    // The node added last (it is scrolled into view), or kNoNode.
    std::int64_t lastAdded() const { return size() - 1; }

    TrailerIndex trailers;

    // Bytes of memory the nodes hold (the trailer index aside).
    std::size_t memoryBytes() const;

    // Building, in file order (positions ascending): a node for a record
    // whose text has these fields (see NodeText).
    void clear();
    std::int64_t add(std::int64_t position, const NodeText::Fields& fields);

private:
    // A node's header: its NodeText::Shape in the top two bits, and below
    // them the lengths of its fields in this many bits each.
    static constexpr int kLengthBits[4][3] = {{5}, {4, 6}, {4, 5, 4}, {5, 4, 5}};
    static constexpr std::size_t kMaxFieldBytes = 20 + 12 + 17;
    static constexpr bool shapesFit();

    // Field texts are kept in chunks; the nodes of one group of kGroupSize
    // lie together in one chunk, found from where the group starts and the
    // field lengths in the headers before them.
    static constexpr int kGroupBits = 5;
    static constexpr std::int64_t kGroupSize = std::int64_t(1) << kGroupBits;
    static constexpr std::size_t kChunkBits = 21;
    static constexpr std::size_t kChunkSize = std::size_t(1) << kChunkBits;

    NodeText::Shape shape(std::int64_t node) const {
        return static_cast<NodeText::Shape>(headers_[static_cast<std::size_t>(node)] >> 14);
    }
    static std::size_t fieldBytes(std::uint16_t header) {
        const int* bits = kLengthBits[header >> 14];
        std::size_t total = 0;
        for (int f = 0, shift = 0; f < NodeText::kShapes[header >> 14].fieldCount;
             shift += bits[f++])
            total += (header >> shift) & ((1u << bits[f]) - 1);
        return total;
    }
    // The text of a node whose fields start at fields; moves fields past them.
    static std::string_view compose(std::uint16_t header, const char*& fields, TextBuffer& buffer) {
        const NodeText::ShapeText& words = NodeText::kShapes[header >> 14];
        const int* bits = kLengthBits[header >> 14];
        char* out = buffer.data();
        std::memcpy(out, words.glue[0], 8);
        out += words.glueLength[0];
        for (int f = 0, shift = 0; f < words.fieldCount; shift += bits[f++]) {
            const std::size_t n = (header >> shift) & ((1u << bits[f]) - 1);
            std::memcpy(out, fields, kFieldCopy);
            out += n;
            fields += n;
            std::memcpy(out, words.glue[f + 1], 8);
            out += words.glueLength[f + 1];
        }
        return std::string_view(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
    }
    const char* groupFields(std::int64_t node) const {
        const std::uint64_t at = groupStarts_[static_cast<std::size_t>(node >> kGroupBits)];
        return textChunks_[at >> kChunkBits].get() + (at & (kChunkSize - 1));
    }
    const char* fieldsStart(std::int64_t node) const;
    // The first node whose record begins at or after position, or size().
    std::int64_t firstAtOrAfter(std::int64_t position) const;
    // The nodes of list (ascending) in [from, to).
    static std::int64_t countIn(const std::vector<std::int64_t>& list, std::int64_t from,
                                std::int64_t to);

    std::int64_t count_ = 0;
    BlockArray<std::uint32_t, 16, true> positionLow_;
    // (first node, high 32 bits) wherever the high half of the positions changes.
    std::vector<std::pair<std::int64_t, std::int64_t>> positionHigh_;
    BlockArray<std::uint16_t, 16, true> headers_;
    BlockArray<std::uint64_t, 16, true> groupStarts_; // chunk * kChunkSize + offset
    std::vector<HugePageMemory::Pointer> textChunks_;
    std::size_t chunkUsed_ = kChunkSize;

    // The file headers and batches, by node number: enough to know every
    // node's parent and children.
    std::vector<std::int64_t> headerNodes_;
    std::vector<std::int64_t> batchNodes_;

    // The roots in order: every node before the first batch (file headers and
    // claims without a batch), the batches before the first file header, then
    // the file headers after the first batch.
    struct Roots {
        std::int64_t firstBatch;       // node number; the nodes before it are roots
        std::int64_t batches;          // batchNodes_[0, batches) are roots
        std::int64_t laterHeaderStart; // headerNodes_[laterHeaderStart, end) are roots
    };
    Roots roots() const;
};

template <typename Match>
std::int64_t FileTree::findText(std::int64_t first, std::int64_t last, Match&& match,
                                bool backward) const {
    if (first < 0)
        first = 0;
    if (last >= count_)
        last = count_ - 1;
    TextBuffer buffer;
    const char* fields = nullptr;
    const std::int64_t step = backward ? -1 : 1;
    for (std::int64_t node = backward ? last : first; node >= first && node <= last; node += step) {
        const std::uint16_t header = headers_[static_cast<std::size_t>(node)];
        // Within a group a node's fields follow those of the node before it;
        // a group may start in a new chunk.
        if (!fields || (node + (backward ? 1 : 0)) % kGroupSize == 0)
            fields = fieldsStart(node);
        else if (backward)
            fields -= fieldBytes(header);
        const char* next = fields;
        if (match(compose(header, next, buffer)))
            return node;
        if (!backward)
            fields = next;
    }
    return kNoNode;
}

} // namespace qm

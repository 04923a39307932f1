#include "gui/filetree/NodeTextSearch.h"

#include "core/common/FileText.h"
#include "core/common/ProgressControl.h"
#include "core/filetree/FileTree.h"

#include <algorithm>
#include <cstring>

namespace {
// Nodes searched between two looks for a cancel: a few milliseconds' worth.
constexpr qint64 kNodesPerSlice = 1 << 16;
} // namespace

NodeTextSearch::NodeTextSearch(const QString& searchText) {
    // Node texts are file bytes: each is folded as the character the file text rule makes of it.
    const auto& codePoints = qm::FileText::codePoints();
    for (std::size_t byte = 0; byte < 256; ++byte)
        upper_[byte] = QChar(codePoints[byte]).toUpper().unicode();
    needle_.reserve(std::size_t(searchText.size()));
    for (const QChar c : searchText)
        needle_.push_back(c.toUpper().unicode());
    if (!needle_.empty()) {
        for (std::size_t byte = 0; byte < 256; ++byte)
            if (upper_[byte] == needle_[0])
                heads_.push_back(char(byte));
        if (heads_.size() > 2)
            heads_.clear();
    }
}

bool NodeTextSearch::matchesAt(std::string_view fileText, std::size_t start) const {
    std::size_t k = 1;
    while (k < needle_.size() &&
           upper_[static_cast<unsigned char>(fileText[start + k])] == needle_[k])
        ++k;
    return k == needle_.size();
}

bool NodeTextSearch::matches(std::string_view fileText) const {
    const std::size_t n = needle_.size();
    if (n == 0)
        return true;
    if (fileText.size() < n)
        return false;
    const std::size_t starts = fileText.size() - n + 1;
    for (const char head : heads_) {
        for (const char* at = fileText.data(); at;) {
            at = static_cast<const char*>(
                std::memchr(at, head, starts - std::size_t(at - fileText.data())));
            if (!at)
                break;
            if (matchesAt(fileText, std::size_t(at - fileText.data())))
                return true;
            if (std::size_t(++at - fileText.data()) == starts)
                break;
        }
    }
    if (!heads_.empty())
        return false;
    for (std::size_t i = 0; i < starts; ++i)
        if (upper_[static_cast<unsigned char>(fileText[i])] == needle_[0] && matchesAt(fileText, i))
            return true;
    return false;
}

qint64 NodeTextSearch::findFirst(const qm::FileTree& tree, qint64 first, qint64 last,
                                 qm::ProgressControl* control) const {
    return find(tree, first, last, false, control);
}

qint64 NodeTextSearch::findLast(const qm::FileTree& tree, qint64 first, qint64 last,
                                qm::ProgressControl* control) const {
    return find(tree, first, last, true, control);
}

qint64 NodeTextSearch::find(const qm::FileTree& tree, qint64 first, qint64 last, bool backward,
                            qm::ProgressControl* control) const {
    first = std::max<qint64>(first, 1);
    last = std::min<qint64>(last, tree.size());
    if (control)
        control->bytesTotal = std::max<qint64>(last - first + 1, 0);
    const auto match = [this](std::string_view text) {
        return matches(text);
    };
    // A slice at a time, looking for a cancel in between.
    for (qint64 done = 0; first <= last;) {
        if (control && control->cancel.load(std::memory_order_relaxed))
            return 0;
        const qint64 from = backward ? std::max(first, last - kNodesPerSlice + 1) : first;
        const qint64 to = backward ? last : std::min(last, first + kNodesPerSlice - 1);
        const qint64 node = tree.findText(from - 1, to - 1, match, backward);
        if (node != qm::FileTree::kNoNode)
            return node + 1;
        done += to - from + 1;
        if (control)
            control->bytesDone = done;
        (backward ? last : first) = backward ? from - 1 : to + 1;
    }
    return 0;
}

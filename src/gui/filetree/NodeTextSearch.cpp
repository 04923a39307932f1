#include "gui/filetree/NodeTextSearch.h"

#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"

#include <algorithm>
#include <tuple>
#include <utility>

NodeTextSearch::NodeTextSearch(const QString& searchText) {
    // Node texts are file bytes: each is folded as the character the file text rule makes of it.
    const auto& codePoints = qm::FileText::codePoints();
    for (std::size_t byte = 0; byte < 256; ++byte)
        upper_[byte] = QChar(codePoints[byte]).toUpper().unicode();
    needle_.reserve(std::size_t(searchText.size()));
    for (const QChar c : searchText)
        needle_.push_back(c.toUpper().unicode());
}

bool NodeTextSearch::matches(std::string_view fileText) const {
    const std::size_t n = needle_.size();
    if (n == 0)
        return true;
    if (fileText.size() < n)
        return false;
    const char16_t head = needle_[0];
    const std::size_t lastStart = fileText.size() - n;
    for (std::size_t i = 0; i <= lastStart; ++i) {
        if (upper_[static_cast<unsigned char>(fileText[i])] != head)
            continue;
        std::size_t k = 1;
        while (k < n && upper_[static_cast<unsigned char>(fileText[i + k])] == needle_[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

namespace {

// The indexes from first to last (1-based, both included) that the tree has.
std::pair<qint64, qint64> inTree(const qm::FileTree& tree, qint64 first, qint64 last) {
    return {std::max<qint64>(first, 1), std::min<qint64>(last, tree.size())};
}

} // namespace

qint64 NodeTextSearch::findFirst(const qm::FileTree& tree, qint64 first, qint64 last) const {
    std::tie(first, last) = inTree(tree, first, last);
    for (qint64 index = first; index <= last; ++index) {
        if (matches(tree.text(index - 1)))
            return index;
    }
    return 0;
}

qint64 NodeTextSearch::findLast(const qm::FileTree& tree, qint64 first, qint64 last) const {
    std::tie(first, last) = inTree(tree, first, last);
    for (qint64 index = last; index >= first; --index) {
        if (matches(tree.text(index - 1)))
            return index;
    }
    return 0;
}

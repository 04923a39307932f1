#include "gui/filetree/NodeTextSearch.h"

#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"

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

qint64 NodeTextSearch::findFirst(const qm::FileTree& tree, qint64 first, qint64 last) const {
    const qint64 node = tree.findText(qMax(first, qint64(1)) - 1, last - 1,
                                      [this](std::string_view text) { return matches(text); });
    return node == qm::FileTree::kNoNode ? 0 : node + 1;
}

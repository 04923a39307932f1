#include "gui/filetree/NodeTextSearch.h"

#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"

#include <cstring>

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

qint64 NodeTextSearch::findFirst(const qm::FileTree& tree, qint64 first, qint64 last) const {
    const qint64 node =
        tree.findText(first - 1, last - 1, [this](std::string_view text) { return matches(text); });
    return node + 1;
}

qint64 NodeTextSearch::findLast(const qm::FileTree& tree, qint64 first, qint64 last) const {
    const qint64 node = tree.findText(
        first - 1, last - 1, [this](std::string_view text) { return matches(text); }, true);
    return node + 1;
}

#pragma once

#include <QString>
#include <array>
#include <string_view>
#include <vector>

namespace qm {
class FileTree;
struct ProgressControl;
} // namespace qm

// The find command's match test: does a node's text contain the search text,
// both taken in upper case? Node texts are file bytes; each byte is folded
// through a table so that a search over every node of a large tree never
// builds a string per node.
class NodeTextSearch {
public:
    explicit NodeTextSearch(const QString& searchText);

    bool matches(std::string_view fileText) const;

    // The first node from first to last (1-based tree indexes, both included)
    // whose text matches, or 0 when none does. With a control it reports the
    // nodes looked at and stops, saying 0, soon after a cancel.
    qint64 findFirst(const qm::FileTree& tree, qint64 first, qint64 last,
                     qm::ProgressControl* control = nullptr) const;
    // The same from last down to first: the matching node nearest to last.
    qint64 findLast(const qm::FileTree& tree, qint64 first, qint64 last,
                    qm::ProgressControl* control = nullptr) const;

private:
    qint64 find(const qm::FileTree& tree, qint64 first, qint64 last, bool backward,
                qm::ProgressControl* control) const;
    bool matchesAt(std::string_view fileText, std::size_t start) const;

    std::array<char16_t, 256> upper_;
    std::vector<char16_t> needle_;
    // The bytes that fold to the needle's first character, when there are
    // one or two (a letter and its lower case): they are looked for with
    // memchr instead of byte by byte. Empty otherwise.
    std::vector<char> heads_;
};

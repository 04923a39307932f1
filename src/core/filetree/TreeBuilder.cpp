#include "core/filetree/TreeBuilder.h"

#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

constexpr std::size_t kRecordLength = 320;

// T(s, n): n characters from column s, blanks trimmed.
std::string_view T(std::string_view line, int start, int length) {
    return trimSpaces(columns(line, start, length));
}

// A node text put together in place: texts are short (a few fields of a
// record), and this runs for every header and claim of the file.
class NodeText {
public:
    NodeText& operator<<(std::string_view part) {
        const std::size_t n = std::min(part.size(), sizeof buf_ - size_);
        std::memcpy(buf_ + size_, part.data(), n);
        size_ += n;
        return *this;
    }
    void clear() { size_ = 0; }
    std::string_view view() const { return std::string_view(buf_, size_); }

private:
    char buf_[256];
    std::size_t size_ = 0;
};

bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

FileTree BuildTree(SequentialFile& file) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();
    std::int64_t currentAA0 = FileTree::kNoNode;
    std::int64_t currentBA0 = FileTree::kNoNode;
    NodeText text;

    file.seek(1);
    file.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (line.size() < kRecordLength)
            return;
        std::int64_t position = lineStart;
        if (line[0] == '\n') {
            line.remove_prefix(1);
            ++position;
        }
        const std::string_view type = line.substr(0, 3);
        if (type[1] != 'A' || type[2] != '0')
            return; // none of AA0, BA0, CA0, YA0, ZA0
        text.clear();
        if (type == "AA0") {
            text << "AA0: " << T(line, 4, 16);
            currentAA0 = tree.addNode('A', position, FileTree::kNoNode, text.view());
        } else if (type == "BA0") {
            text << "BA0: " << T(line, 32, 15) << " - ";
            if (!onlySpaces(columns(line, 198, 22)))
                text << T(line, 198, 20) << ", " << T(line, 218, 12);
            else
                text << T(line, 165, 33);
            // A batch before any file header becomes a root: nothing in the file is hidden.
            currentBA0 = tree.addNode('B', position, currentAA0, text.view());
            ++tree.BatchCount;
        } else if (type == "CA0") {
            text << "CA0: " << T(line, 23, 20) << ", " << T(line, 43, 12) << " (" << T(line, 6, 17)
                 << ")";
            tree.addNode('C', position, currentBA0, text.view());
            ++tree.ClaimCount;
        } else if (type == "YA0" || type == "ZA0") {
            tree.trailers.add(type[0], lineStart);
        }
    });
    tree.trailers.complete = true;
    tree.finish();
    return tree;
}

} // namespace qm

#include "filetree/TreeBuilder.h"

#include "io/SequentialFile.h"
#include "layouts/TextUtil.h"

namespace qm {

namespace {

constexpr std::size_t kRecordLength = 320;

// T(s, n): n characters from column s, blanks trimmed.
std::string_view T(std::string_view line, int start, int length) {
    return trimSpaces(columns(line, start, length));
}

bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

FileTree BuildTree(SequentialFile& file) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();
    std::int64_t currentAA0 = FileTree::kNoNode;
    std::int64_t currentBA0 = FileTree::kNoNode;
    std::string text;

    file.seek(1);
    std::string_view line;
    for (;;) {
        const std::int64_t lineStart = file.position();
        if (!file.readLineView(line))
            break;
        if (line.size() < kRecordLength)
            continue;
        std::int64_t position = lineStart;
        if (line[0] == '\n') {
            line.remove_prefix(1);
            ++position;
        }
        const std::string_view type = line.substr(0, 3);
        if (type == "AA0") {
            text.assign("AA0: ").append(T(line, 4, 16));
            currentAA0 = tree.addNode('A', position, FileTree::kNoNode, text);
        } else if (type == "BA0") {
            text.assign("BA0: ").append(T(line, 32, 15)).append(" - ");
            if (!onlySpaces(columns(line, 198, 22)))
                text.append(T(line, 198, 20)).append(", ").append(T(line, 218, 12));
            else
                text.append(T(line, 165, 33));
            // A batch before any file header becomes a root: nothing in the file is hidden.
            currentBA0 = tree.addNode('B', position, currentAA0, text);
            ++tree.BatchCount;
        } else if (type == "CA0") {
            text.assign("CA0: ")
                .append(T(line, 23, 20))
                .append(", ")
                .append(T(line, 43, 12))
                .append(" (")
                .append(T(line, 6, 17))
                .append(")");
            tree.addNode('C', position, currentBA0, text);
            ++tree.ClaimCount;
        } else if (type == "YA0" || type == "ZA0") {
            tree.trailers.add(type[0], lineStart);
        }
    }
    tree.trailers.complete = true;
    tree.finish();
    return tree;
}

} // namespace qm

#include "core/filetree/TreeBuilder.h"

#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"

#include <cstring>

namespace qm {

namespace {

constexpr std::size_t kRecordLength = 320;

// T(s, n): n characters from column s, blanks trimmed. This runs three times
// for every claim of the file, on fields that are mostly blank padding: the
// padding at the end is found eight characters at a time, without a branch
// per character.
std::string_view T(std::string_view line, int start, int length) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the last character is the top byte");
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020;
    const std::string_view field =
        line.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
    std::size_t e = field.size();
    for (;;) {
        if (e < 8) {
            while (e > 0 && field[e - 1] == ' ')
                --e;
            break;
        }
        std::uint64_t eight;
        std::memcpy(&eight, field.data() + e - 8, 8);
        if (const std::uint64_t notBlank = eight ^ kEightBlanks) {
            e -= static_cast<std::size_t>(__builtin_clzll(notBlank)) / 8;
            break;
        }
        e -= 8;
    }
    std::size_t b = 0;
    while (b < e && field[b] == ' ')
        ++b;
    return field.substr(b, e - b);
}

bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// How often, in bytes read, a build tells its progress and looks for a cancel.
constexpr std::int64_t kReportEvery = std::int64_t(1) << 20;

FileTree build(SequentialFile& file, TreeBuildControl* control) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();

    auto addRecord = [&tree](std::string_view line, std::int64_t lineStart) {
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
        if (type == "AA0") {
            tree.addHeader(position, T(line, 4, 16));
        } else if (type == "BA0") {
            // A batch before any file header becomes a root: nothing in the file is hidden.
            if (!onlySpaces(columns(line, 198, 22)))
                tree.addBatch(position, T(line, 32, 15), T(line, 198, 20), T(line, 218, 12));
            else
                tree.addBatch(position, T(line, 32, 15), T(line, 165, 33));
            ++tree.BatchCount;
        } else if (type == "CA0") {
            tree.addClaim(position, T(line, 23, 20), T(line, 43, 12), T(line, 6, 17));
            ++tree.ClaimCount;
        } else if (type == "YA0" || type == "ZA0") {
            tree.trailers.add(type[0], lineStart);
        }
    };

    if (control)
        control->bytesTotal.store(file.size(), std::memory_order_relaxed);
    std::int64_t nextReport = kReportEvery;
    file.seek(1);
    file.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (control && lineStart >= nextReport) {
            control->bytesDone.store(lineStart - 1, std::memory_order_relaxed);
            if (control->cancel.load(std::memory_order_relaxed))
                return false;
            nextReport = lineStart + kReportEvery;
        }
        addRecord(line, lineStart);
        return true;
    });
    if (control)
        control->bytesDone.store(file.position() - 1, std::memory_order_relaxed);
    tree.trailers.complete = true;
    return tree;
}

} // namespace

FileTree BuildTree(SequentialFile& file) {
    return build(file, nullptr);
}

std::optional<FileTree> BuildTree(SequentialFile& file, TreeBuildControl& control) {
    FileTree tree = build(file, &control);
    if (control.cancel.load())
        return std::nullopt;
    return tree;
}

} // namespace qm

#include "core/filetree/TreeBuilder.h"

#include "core/common/RecordLine.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

namespace qm {

namespace {

// How often, in bytes read, a build tells its progress and looks for a cancel.
constexpr std::int64_t kReportEvery = std::int64_t(1) << 20;

FileTree build(SequentialFile& file, ProgressControl* control) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();

    auto addRecord = [&tree](std::string_view line, std::int64_t lineStart) {
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position))
            return;
        const std::string_view type = line.substr(0, 3);
        if (type[1] != 'A' || type[2] != '0')
            return; // none of AA0, BA0, CA0, YA0, ZA0
        if (type == "AA0") {
            tree.add(position, NodeText::fieldsOf('A', line));
        } else if (type == "BA0") {
            // A batch before any file header becomes a root: nothing in the file is hidden.
            tree.add(position, NodeText::fieldsOf('B', line));
            ++tree.BatchCount;
        } else if (type == "CA0") {
            tree.add(position, NodeText::fieldsOf('C', line));
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

std::optional<FileTree> BuildTree(SequentialFile& file, ProgressControl& control) {
    FileTree tree = build(file, &control);
    if (control.cancel.load())
        return std::nullopt;
    return tree;
}

} // namespace qm

#include "core/filetree/TreeBuilder.h"

#include "core/filetree/TreeScan.h"

namespace qm {

namespace {

FileTree build(SequentialFile& file, ProgressControl* control) {
    FileTree tree;
    tree.trailers.fileIdentity = file.identity();
    TreeScan::run(
        file, control,
        [&tree](std::int64_t position, const NodeText::Fields& fields) {
            tree.add(position, fields);
            if (fields.shape == NodeText::kClaim)
                ++tree.ClaimCount;
            else if (fields.shape != NodeText::kHeader)
                ++tree.BatchCount;
        },
        [&tree](char type, std::int64_t lineStart) { tree.trailers.add(type, lineStart); });
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

#include "core/openfile/OpenClaimFile.h"

#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"

namespace qm {

OpenClaimFile::OpenClaimFile(std::string path, OpenResult result,
                             std::unique_ptr<SequentialFile> reader,
                             std::shared_ptr<const LayoutCatalogue> layouts)
    : path_(std::move(path))
    , result_(std::move(result))
    , reader_(std::move(reader))
    , layouts_(std::move(layouts)) {
}

OpenClaimFile::~OpenClaimFile() = default;

void OpenClaimFile::setTree(std::shared_ptr<const FileTree> tree) {
    if (tree != tree_)
        problems_.reset();
    tree_ = std::move(tree);
    index_ = tree_ ? std::make_shared<const HeaderIndex>(*tree_) : nullptr;
}

void OpenClaimFile::setProblems(std::shared_ptr<const ProblemStore> problems) {
    problems_ = std::move(problems);
}

} // namespace qm

#pragma once

#include "core/filetree/TrailerIndex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class FileTree;
class SequentialFile;

// Where a claim file's file headers, batches and trailers are, taken from
// its tree: a claim pass given one starts reading claims at once instead of
// reading the whole file for them first. A value, kept after the tree is gone.
class HeaderIndex {
public:
    struct Header {
        std::int64_t position; // of the record
        char type;             // 'A' file header, 'B' batch
    };

    explicit HeaderIndex(const FileTree& tree);

    // Whether the tree was built over this very file, to its end.
    bool describes(const SequentialFile& file) const;
    // In file order.
    const std::vector<Header>& headers() const { return headers_; }
    const TrailerIndex& trailers() const { return trailers_; }
    // How many claims the tree has.
    std::int64_t claimCount() const { return claims_; }

private:
    std::vector<Header> headers_;
    TrailerIndex trailers_;
    std::int64_t claims_ = 0;
};

} // namespace qm

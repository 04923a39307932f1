#include "core/check/ProblemPlace.h"

#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"

namespace qm {

namespace {

std::int64_t batchNode(const ProblemStore::Entry& entry, const FileTree& tree) {
    const auto node = tree.findNode("BA0", entry.batchPosition);
    return node ? *node : -1;
}

std::int64_t claimNode(const ProblemStore::Entry& entry, const FileTree& tree) {
    if (entry.claimNode >= 0)
        return entry.claimNode;
    const auto node = tree.findNode("CA0", entry.problem.position);
    return node ? *node : -1;
}

} // namespace

std::int64_t ProblemPlace::fileHeader(const FileTree& tree) {
    return tree.headerNodes().empty() ? -1 : tree.headerNodes().front();
}

std::int64_t ProblemPlace::ownerNode(const ProblemStore::Entry& entry, const FileTree& tree) {
    switch (entry.problem.scope) {
    case Problem::Scope::Claim:
        return entry.claimNode;
    case Problem::Scope::Batch:
        return batchNode(entry, tree);
    case Problem::Scope::File:
        break;
    }
    return fileHeader(tree);
}

ProblemPlace ProblemPlace::of(const ProblemStore::Entry& entry, const FileTree& tree,
                              const LayoutCatalogue* layouts) {
    const Problem& p = entry.problem;
    ProblemPlace place;
    place.record = ProblemWords::recordKey(p, layouts);
    place.field = p.field;
    switch (p.kind) {
    case Problem::Kind::TrailerDoesNotBalance:
    case Problem::Kind::TrailerCouldNotCheck:
        place.show = Show::Trailer;
        place.node = p.scope == Problem::Scope::Batch ? batchNode(entry, tree) : fileHeader(tree);
        place.trailerPosition = p.position;
        break;
    case Problem::Kind::BatchWithoutTrailer:
        place.show = Show::Node;
        place.node = batchNode(entry, tree);
        break;
    case Problem::Kind::NoFileTrailer:
    case Problem::Kind::LfOnlyLineEnds:
    case Problem::Kind::FileChanged:
        place.show = Show::Node;
        place.node = fileHeader(tree);
        break;
    case Problem::Kind::TrailerWithoutBatch:
    case Problem::Kind::SecondFileHeader:
    case Problem::Kind::UnknownRecordType:
    case Problem::Kind::ShortLine:
    case Problem::Kind::MoreShortLines:
    case Problem::Kind::CutLastLine:
    case Problem::Kind::RecordsAfterFileTrailer:
        place.show = Show::Node;
        place.node = tree.lastAtOrBefore(p.position);
        break;
    default:
        // A claim's rows, and a claim outside a batch: the claim.
        place.show = Show::Record;
        place.node = claimNode(entry, tree);
        break;
    }
    if (place.node < 0)
        place.show = Show::Nothing;
    if (place.show == Show::Node) {
        place.record.clear();
        place.field = -1;
    }
    return place;
}

} // namespace qm

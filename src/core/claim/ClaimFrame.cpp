#include "core/claim/ClaimFrame.h"

#include "core/filetree/TrailerIndex.h"

namespace qm {

ClaimFrame ClaimFrame::above(Node node, std::int64_t header, std::int64_t batch) {
    ClaimFrame frame;
    if (header >= 0)
        frame.add({"AA0", header, "", false});
    if (node == Node::FileHeader || batch < 0)
        return frame;
    frame.add({"BA0", batch, "AA0", false});
    // In a batch's own view its BA1 stands beside the BA0; in a claim's, under it.
    frame.add({"BA1", batch, node == Node::Batch ? "AA0" : "BA0", true});
    return frame;
}

ClaimFrame ClaimFrame::below(const TrailerIndex& trailers, std::int64_t after) {
    ClaimFrame frame;
    const TrailerIndex::Below found = trailers.below(after);
    if (found.batch)
        frame.add({kBatchTrailer.type, *found.batch, kBatchTrailer.parent, false});
    if (found.file)
        frame.add({kFileTrailer.type, *found.file, kFileTrailer.parent, false});
    return frame;
}

} // namespace qm

// Node clicks on any claim file. The first bytes choose the clicks and whether
// the file is cut short between the tree build and the clicks; the rest is the file.
// On a file left whole, the whole-file check must give every claim the verdict
// its click gives.
#include "FuzzWorkspace.h"
#include "core/check/FileCheck.h"
#include "core/claim/NodeClick.h"
#include "core/filetree/TreeBuilder.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

bool sameVerdict(const qm::ClaimVerdict& a, const qm::ClaimVerdict& b) {
    if (a.position != b.position || a.text != b.text || a.totals != b.totals ||
        a.xa0Present != b.xa0Present || a.unreadable != b.unreadable ||
        a.mismatches.size() != b.mismatches.size() || a.invalid.size() != b.invalid.size())
        return false;
    for (std::size_t i = 0; i < a.mismatches.size(); ++i)
        if (a.mismatches[i].field != b.mismatches[i].field ||
            a.mismatches[i].stated != b.mismatches[i].stated ||
            a.mismatches[i].computed != b.mismatches[i].computed)
            return false;
    for (std::size_t i = 0; i < a.invalid.size(); ++i)
        if (a.invalid[i].node != b.invalid[i].node || a.invalid[i].field != b.invalid[i].field ||
            a.invalid[i].value != b.invalid[i].value)
            return false;
    return true;
}

void checkEqualsClicks(qm::OpenClaimFile& file, const qm::FileTree& tree) {
    std::vector<qm::ClaimVerdict> checked;
    qm::FileCheck::Options options;
    options.jobs = 2;
    options.chunkBytes = 700;
    qm::FileCheck::run(file.file(), file.layouts(), options,
                       [&](qm::ClaimVerdict&& v) { checked.push_back(std::move(v)); });
    std::size_t next = 0;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        const qm::ClaimVerdict clicked = qm::verdictOf(
            qm::NodeClick(file, node), tree.position(node), std::string(tree.text(node)));
        if (next >= checked.size() || !sameVerdict(checked[next++], clicked))
            std::abort();
    }
    if (next != checked.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const unsigned clicks = data[0] % 8 + 1;
    const bool truncate = data[1] & 1;
    std::vector<std::uint8_t> choices(data + 2, data + 2 + (clicks < size - 2 ? clicks : 0));
    const std::size_t skip = 2 + choices.size();
    FuzzWorkspace& ws = FuzzWorkspace::instance();
    const std::string path = ws.write("fuzz.nsf", data + skip, size - skip);
    if (!ws.open(path))
        return 0;
    qm::OpenClaimFile& file = *ws.file;
    file.setTree(std::make_shared<const qm::FileTree>(qm::BuildTree(file.reader())));
    const qm::FileTree& tree = *file.tree();
    if (!truncate)
        checkEqualsClicks(file, tree);
    else if (::truncate(path.c_str(), static_cast<off_t>((size - skip) / 2)) != 0)
        std::abort();
    for (std::uint8_t c : choices) {
        if (tree.empty())
            break;
        const qm::AssembledClaim r = qm::NodeClick(file, c % tree.size());
        // Every parent a node names was added before it; every node shows a
        // record of its claim.
        for (std::size_t i = 0; i < r.nodes.size(); ++i) {
            bool found = r.nodes[i].parent.empty();
            for (std::size_t j = 0; j < i && !found; ++j)
                found = r.nodes[j].key == r.nodes[i].parent;
            if (!found || !r.record(r.nodes[i]))
                std::abort();
        }
    }
    return 0;
}

// Node clicks on any claim file. The first bytes choose the clicks and whether
// the file is cut short between the tree build and the clicks; the rest is the file.
// On a file left whole, the whole-file check must give every claim the verdict
// and the problem rows its click gives.
#include "FuzzWorkspace.h"
#include "core/check/ClaimRows.h"
#include "core/check/FileCheck.h"
#include "core/claim/NodeClick.h"
#include "core/filetree/TreeBuilder.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

// A claim as the check gives it or a click finds it: its verdict and rows.
struct Verdict {
    std::int64_t position = 0;
    qm::TotalsState totals = qm::TotalsState::NotAClaim;
    bool xa0 = false;
    bool unreadable = false;
    std::vector<qm::Problem> rows;
    std::vector<std::string> values;

    Verdict(std::int64_t at, qm::TotalsState state, bool present, bool cut,
            const std::vector<qm::ProblemRow>& found)
        : position(at)
        , totals(state)
        , xa0(present)
        , unreadable(cut) {
        for (const qm::ProblemRow& row : found) {
            rows.push_back(row.problem);
            values.emplace_back(row.value);
        }
    }
    bool operator==(const Verdict& o) const {
        if (position != o.position || totals != o.totals || xa0 != o.xa0 ||
            unreadable != o.unreadable || rows.size() != o.rows.size() || values != o.values)
            return false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const qm::Problem& a = rows[i];
            const qm::Problem& b = o.rows[i];
            if (a.kind != b.kind || a.recordType != b.recordType || a.occurrence != b.occurrence ||
                a.field != b.field || a.found != b.found || a.expected != b.expected ||
                a.flags != b.flags)
                return false;
        }
        return true;
    }
};

class Claims : public qm::FileCheck::Consumer {
public:
    void batch(const qm::FileCheck::Batch&) override {}
    void claim(const qm::FileCheck::Claim& c) override {
        claims.emplace_back(c.position, c.totals, c.xa0Present, c.unreadable,
                            std::vector<qm::ProblemRow>(c.rows.begin(), c.rows.end()));
    }
    void trailer(const qm::FileCheck::Trailer&) override {}
    void problem(const qm::ProblemRow&) override {}
    std::vector<Verdict> claims;
};

void checkEqualsClicks(qm::OpenClaimFile& file, const qm::FileTree& tree) {
    Claims checked;
    qm::FileCheck::Options options;
    options.jobs = 2;
    options.chunkBytes = 700;
    qm::FileCheck::run(file.file(), file.layouts(), options, checked);
    const qm::ClaimRules rules(file.layouts());
    const qm::ClaimRows claimRows(rules);
    std::size_t next = 0;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        const qm::AssembledClaim clicked = qm::NodeClick(file, node);
        std::vector<qm::ProblemRow> rows;
        claimRows.ofClick(clicked, qm::Problem(), rows);
        const Verdict verdict(tree.position(node), clicked.totals.state, clicked.totals.xa0Present,
                              clicked.unreadable, rows);
        if (next >= checked.claims.size() || !(checked.claims[next++] == verdict))
            std::abort();
    }
    if (next != checked.claims.size())
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

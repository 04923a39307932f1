#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class FileTree;
struct Module1;

// One node of the claim form's record tree: key (also its text) and parent key
// (empty for the root).
struct ClaimFormNode {
    std::string key;
    std::string parent;
};

// What a file tree node click leaves for the claim form to show.
struct ClickResult {
    bool noFileOpen = false;             // nothing was read: no claim file is open
    bool acted = false;                  // the node was a file header, batch or claim
    std::string RT;                      // "AA0", "BA0" or "CA0": the node the form selects
    std::vector<ClaimFormNode> nodes;    // in insertion order
    bool totalsChecked = false;          // a claim: CheckClaimTotals ran
    bool totalsOk = true;                // its result (true when nothing was compared)
    std::vector<std::string> mismatched; // XA0 field numbers that did not match
};

// A click on file tree node `node`: reads its records from the open claim file
// (m.FileNumber) into the record store, and for a claim checks its totals.
// Shows nothing; the caller shows the totals message when totalsOk is false.
ClickResult NodeClick(Module1& m, const FileTree& tree, std::int64_t node);

} // namespace qm

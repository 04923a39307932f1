#pragma once

#include <ostream>

namespace qm::cli {

class ClaimFile;

// `tree FILE`: the file tree in node index order, as text or as JSON written
// node by node; with claimsOnly (--claims) only the claims, with their
// patient's name and control number in columns.
class TreeCommand {
public:
    static int run(ClaimFile& file, bool json, bool claimsOnly, std::ostream& out);
};

} // namespace qm::cli

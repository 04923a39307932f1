#pragma once

#include <ostream>

namespace qm::cli {

class ClaimFile;

// `tree FILE`: the file tree in node index order, as text or as JSON written
// node by node.
class TreeCommand {
public:
    static int run(ClaimFile& file, bool json, std::ostream& out);
};

} // namespace qm::cli

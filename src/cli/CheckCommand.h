#pragma once

#include <ostream>

namespace qm::cli {

class ClaimFile;

// `check FILE`: every claim's verdict in tree order, from one pass over the
// file (the same verdicts clicking every claim would give), then a summary.
class CheckCommand {
public:
    static int run(ClaimFile& file, bool json, int jobs, std::ostream& out);
};

} // namespace qm::cli

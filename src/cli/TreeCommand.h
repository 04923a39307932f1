#pragma once

#include <ostream>
#include <string>

namespace qm::cli {

class ClaimFile;

// `tree FILE`: the file tree in node index order, as text or as JSON written
// node by node; with claimsOnly (--claims) only the claims, with their
// patient's name and control number in columns. With a filter (--filter),
// only the claims it chooses, under their batches and the file headers.
class TreeCommand {
public:
    static int run(ClaimFile& file, bool json, bool claimsOnly, const std::string& filter, int jobs,
                   std::ostream& out, std::ostream& err);
};

} // namespace qm::cli

#pragma once

#include <ostream>

namespace qm::cli {

class ClaimFile;

// `summary FILE`: the file's figures at a glance (batches, claims, service
// lines, charges, months of service, claim charges, problems by kind, top
// procedure codes), from the same one pass as check.
class SummaryCommand {
public:
    static int run(ClaimFile& file, bool json, int jobs, std::ostream& out, std::ostream& err);
};

} // namespace qm::cli

#pragma once

#include <cstdint>
#include <ostream>

namespace qm::cli {

class ClaimFile;

// `lines FILE`: the file's raw lines, count of them from line from on, each
// with its number, byte position, record type and what kind of line it is,
// and under it the whole-file check's problems at that line; then a count.
// The exit status is check's, over the lines listed: 1 when a row at one of
// them says something is wrong, 3 when one says only that something could
// not be checked (or the file changed while it was read), else 0.
class LinesCommand {
public:
    static int run(ClaimFile& file, std::int64_t from, std::int64_t count, bool json, int jobs,
                   std::ostream& out);
};

} // namespace qm::cli

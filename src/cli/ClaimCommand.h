#pragma once

#include <QStringList>
#include <ostream>

namespace qm::cli {

class ClaimFile;

// `claim FILE KEY...`: one node click per key, in order, in one session (the
// record store carries over from one click to the next), each printed as it
// is made.
class ClaimCommand {
public:
    static int run(ClaimFile& file, const QStringList& keys, bool json, std::ostream& out,
                   std::ostream& err);
};

} // namespace qm::cli

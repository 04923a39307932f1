#pragma once

#include <QStringList>
#include <ostream>
#include <string>

namespace qm::cli {

class ClaimFile;

// `claim FILE KEY... [--pcn PCN]`: one node click per key, in order, then
// one per claim whose patient control number is pcn (case ignored; none
// when empty), in one session (the record store carries over from one
// click to the next), each printed as it is made.
class ClaimCommand {
public:
    static int run(ClaimFile& file, const QStringList& keys, const std::string& pcn, bool json,
                   std::ostream& out, std::ostream& err);
};

} // namespace qm::cli

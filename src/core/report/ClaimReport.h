#pragma once

#include <ostream>
#include <string_view>

namespace qm {

struct AssembledClaim;
class JsonWriter;

// A node click's claim form, written out: as JSON (the command-line tool's
// `claim --json` and the viewer's claim export share it) or as text.
class ClaimReport {
public:
    // {"key", "rt", "totals_checked", "totals_ok", "totals_state",
    //  "xa0_present", "unreadable", "comparisons", "messages", "nodes", "records"}
    static void writeJson(JsonWriter& json, const AssembledClaim& claim, std::string_view key);
    // A heading with the key and the file tree text, the totals verdict, the
    // record tree, then every record as a table of its fields.
    static void writeText(std::ostream& out, const AssembledClaim& claim, std::string_view key,
                          std::string_view nodeText);
};

} // namespace qm

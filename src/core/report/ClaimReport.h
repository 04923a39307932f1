#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct AssembledClaim;
class JsonWriter;

// A node click's claim form, written out: as JSON (the command-line tool's
// `claim --json` and the viewer's claim export share it), as CSV or as text.
class ClaimReport {
public:
    // {"key", "rt", "totals_checked", "totals_ok", "totals_state",
    //  "xa0_present", "unreadable", "comparisons", "messages", "nodes", "records"};
    // totals_ok is true only when the totals were compared and agree.
    static void writeJson(JsonWriter& json, const AssembledClaim& claim, std::string_view key);
    // The whole document of `claim --json`: an array of one such object per
    // key, in order. click(i) makes the claim of keys[i] just before it is
    // written, so that a long list is printed as it goes.
    static void writeJsonDocument(std::ostream& out, const std::vector<std::string>& keys,
                                  const std::function<const AssembledClaim&(std::size_t)>& click);
    // The same document for one claim already made.
    static void writeJsonDocument(std::ostream& out, const AssembledClaim& claim,
                                  const std::string& key);
    // One row per field of every record, in record tree order, under the header
    // row node,record_type,occurrence,field,name,start,end,value,valid,shown,
    // amount; values as they stand in the line, blanks included; shown as the
    // claim form shows them, blanks around them aside; amount a money field's
    // value in dollars ("157.51"), empty for other fields.
    static void writeCsv(std::ostream& out, const AssembledClaim& claim);
    // A heading with the key and the file tree text, the totals verdict, the
    // record tree, then every record as a table of its fields.
    static void writeText(std::ostream& out, const AssembledClaim& claim, std::string_view key,
                          std::string_view nodeText);
};

} // namespace qm

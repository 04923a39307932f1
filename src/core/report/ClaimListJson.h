#pragma once

#include "core/report/JsonWriter.h"

#include <ostream>
#include <string_view>

namespace qm {

// The frame of a whole-file report in JSON, written as the claims arrive:
// {"claims": [one object a line, ...], other members, "summary": {...}}.
// A report of other things than claims names its list otherwise.
class ClaimListJson {
public:
    explicit ClaimListJson(std::ostream& out, std::string_view listName = "claims");

    // The writer, placed for the next claim's object.
    JsonWriter& nextClaim();
    // The stream, placed for the value of another member after the claims
    // (written by the caller).
    std::ostream& member(std::string_view name);
    // The writer, placed for the summary object; end() closes the document.
    JsonWriter& summary();
    void end();

private:
    // The separator before another member and its name.
    void startMember(std::string_view name);

    std::ostream& out_;
    JsonWriter json_;
    bool started_ = false;
    bool claimsOpen_ = true;
};

} // namespace qm

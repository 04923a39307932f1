#pragma once

#include "core/report/JsonWriter.h"

#include <ostream>

namespace qm {

// The frame of a whole-file report in JSON, written as the claims arrive:
// {"claims": [one object a line, ...], "summary": {...}}.
class ClaimListJson {
public:
    explicit ClaimListJson(std::ostream& out);

    // The writer, placed for the next claim's object.
    JsonWriter& nextClaim();
    // The writer, placed for the summary object; end() closes the document.
    JsonWriter& summary();
    void end();

private:
    std::ostream& out_;
    JsonWriter json_;
    bool started_ = false;
};

} // namespace qm

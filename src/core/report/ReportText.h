#pragma once

#include "core/claim/TotalsVerdict.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

class JsonWriter;
class LayoutCatalogue;

// Pieces the claim and check reports share.
class ReportText {
public:
    // text followed by blanks up to width characters (never cut).
    static std::string padded(std::string_view utf8, std::size_t width);
    // The name of field `field` of a record type, as file bytes (empty when unknown).
    static std::string_view fieldName(const LayoutCatalogue* layouts, std::string_view recordType,
                                      int field);
    // The claim report's totals verdict: "ok", "no XA0: nothing compared", ...
    static std::string totalsLine(TotalsState state, const std::vector<std::string>& mismatched);
    // Opens an object and writes {"id", "name", "found", "expected"} of one
    // compared XA0 field into it; the caller adds what else it wants and closes it.
    static void writeComparison(JsonWriter& json, const TotalsComparison& comparison,
                                const LayoutCatalogue* layouts);
    // A compared XA0 field in the words of every front end (ProblemWords::
    // disagreement): "Total Claim Charges: the XA0 states $157.51, the lines
    // add up to $157.52"; control characters escaped.
    static std::string comparisonLine(const TotalsComparison& comparison,
                                      const LayoutCatalogue* layouts);
};

} // namespace qm

#pragma once

#include "core/check/Problem.h"
#include "core/layouts/LayoutCatalogue.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

// A problem row as the check's JSON gives it in its flat list, one object
// on one line. Rows come by the million, most of a kind worded alike, so
// what a row's kind, severity and scope fix (its first four members) is put
// together once for each, and its words once for each kind whose words are
// the same for every row; the rest is spliced in after them.
class ProblemRowJson {
public:
    explicit ProblemRowJson(const LayoutCatalogue* layouts);

    // before (a separator of a few bytes) and the row's object at the end of
    // out; batchPosition and claimPosition: of the BA0 and CA0 it belongs
    // to, -1 for none.
    void append(std::string& out, std::string_view before, const ProblemRow& row,
                std::int64_t batchPosition, std::int64_t claimPosition);

private:
    // "{\"kind\":...,\"batch\":" for a row of no rule.
    const std::string& head(const Problem& problem);
    static void appendHead(std::string& out, const ProblemRow& row);

    const LayoutCatalogue* layouts_;
    std::array<std::string, std::size_t(Problem::kKindCount) * Problem::kSeverityCount * 3> heads_;
    // The words of the kinds worded alike for every row, as a JSON string.
    std::array<std::string, Problem::kKindCount> fixedTexts_;
    std::string words_; // a row's words while they are put together
};

} // namespace qm

#pragma once

#include "core/check/Problem.h"
#include "core/check/ProblemStore.h"
#include "gui/document/ProblemCounts.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace qm {
class LayoutCatalogue;
}

// The words for problems in the viewer: kind names, a line for each problem
// (the engine's words, as the command line gives them), what a row found and
// expected, the tooltips of marked nodes and the counts of a check. Field
// numbers and names come from the layouts the file was checked with
// (nullptr: none known).
class ProblemText {
public:
    // A tooltip lists this many problems at most.
    static constexpr std::int64_t kToolTipLines = 12;

    // "Totals do not compute", "Invalid value", "No batch trailer", ...
    static QString kindName(qm::Problem::Kind kind);
    // "Error", "Warning", "Note".
    static QString severityName(qm::Problem::Severity severity);
    // The mark of a severity (the flags a rule's rows are marked with).
    static ProblemKind severityMark(qm::Problem::Severity severity);
    // What a mark stands for: a claim's kind's name, or "Rule (warning)".
    static QString markName(ProblemKind mark);
    // The field's number ("12.0") and name, as the map gives them.
    static QString fieldId(const qm::Problem& problem, const qm::LayoutCatalogue* layouts);
    static QString fieldName(const qm::Problem& problem, const qm::LayoutCatalogue* layouts);
    // What a row found (a value, a count, a line's length) and, for totals,
    // trailers and a changed file, what it expected.
    static QString found(const qm::ProblemRow& row);
    static QString expected(const qm::ProblemRow& row);
    // One problem in a line: "Totals do not compute: Total Claim Charges: the
    // XA0 states $157.51, the lines add up to $157.52".
    static QString line(const qm::ProblemRow& row, const qm::LayoutCatalogue* layouts);
    // Rows of a store, a line each: those of the claim range, or the rows
    // numbered in `rows` of `total` in all; past kToolTipLines how many more.
    static QString lines(const qm::ProblemStore& store, const qm::ProblemStore::Range& range,
                         const qm::LayoutCatalogue* layouts);
    static QString lines(const qm::ProblemStore& store, const std::vector<std::int64_t>& rows,
                         std::int64_t total, const qm::LayoutCatalogue* layouts);
    // How many claims with problems a file header or batch holds, by kind.
    static QString beneath(const ProblemCounts& counts);
    // "2 claims, 1 batch, 3 of the file"; "0 claims" for nothing.
    static QString counts(std::int64_t claims, std::int64_t batches, std::int64_t file);
};

#include "core/lines/LineProblems.h"

#include <algorithm>

namespace qm {

LineProblems::LineProblems(std::int64_t first, std::int64_t last)
    : first_(first)
    , last_(last) {
}

void LineProblems::keep(const ProblemRow& row) {
    if (row.problem.line < first_ || row.problem.line > last_ || row.problem.line == 0)
        return;
    kept_.push_back({row.problem, std::string(row.value)});
}

void LineProblems::finish() {
    std::stable_sort(kept_.begin(), kept_.end(),
                     [](const Kept& a, const Kept& b) { return a.problem.line < b.problem.line; });
}

std::vector<ProblemRow> LineProblems::at(std::int64_t line) const {
    const auto first = std::lower_bound(
        kept_.begin(), kept_.end(), line,
        [](const Kept& kept, std::int64_t number) { return kept.problem.line < number; });
    std::vector<ProblemRow> rows;
    for (auto it = first; it != kept_.end() && it->problem.line == line; ++it)
        rows.push_back({it->problem, it->value});
    return rows;
}

} // namespace qm

#include "gui/document/ProblemGroups.h"

namespace {

void count(ProblemGroups::Count& into, const qm::Problem& problem) {
    ++into.rows;
    // A claim's rows come together: a new claim is one not counted last.
    if (problem.claim >= 0 && problem.claim != into.lastClaim) {
        into.lastClaim = problem.claim;
        ++into.claims;
    }
}

} // namespace

void ProblemGroups::clear() {
    kinds_ = {};
    rules_.clear();
}

void ProblemGroups::add(const qm::Problem& problem) {
    count(kinds_[std::size_t(problem.kind)], problem);
    if (problem.kind != qm::Problem::Kind::Rule || problem.rule < 0)
        return;
    const auto index = std::size_t(problem.rule);
    if (index >= rules_.size())
        rules_.resize(index + 1);
    count(rules_[index], problem);
}

ProblemGroups::Count ProblemGroups::rule(std::int32_t index) const {
    return index >= 0 && std::size_t(index) < rules_.size() ? rules_[std::size_t(index)] : Count();
}

std::vector<std::int32_t> ProblemGroups::failedRules() const {
    std::vector<std::int32_t> failed;
    for (std::size_t i = 0; i < rules_.size(); ++i)
        if (rules_[i].rows)
            failed.push_back(std::int32_t(i));
    return failed;
}
